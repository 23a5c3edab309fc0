#pragma once
// The command line run inside the test process, its output captured.
#include <string>
#include <vector>

namespace orvadw::test {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

// Runs the words as orvadw-cli would (argv[0] left out) with input as its
// standard input, so that no command can wait on the terminal.
CliRun capture_cli(const std::vector<std::string>& arguments, const std::string& input = {});

}  // namespace orvadw::test
