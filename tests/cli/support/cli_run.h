#pragma once
// The command line run inside the test process, its output captured.
#include <chrono>
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

// Runs the orvadw-cli program itself with these words (status -1 with the
// reason in err when it could not start or did not end in time).
CliRun run_cli_program(const std::vector<std::string>& arguments,
                       std::chrono::seconds within = std::chrono::seconds(60));

}  // namespace orvadw::test
