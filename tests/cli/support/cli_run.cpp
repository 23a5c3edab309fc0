#include "support/cli_run.h"

#include <iostream>
#include <sstream>

#include "cli/cli_command.h"
#include "tests/support/bin_dir.h"
#include "tests/support/child_process.h"

namespace orvadw::test {

CliRun capture_cli(const std::vector<std::string>& arguments, const std::string& input) {
  std::istringstream in(input);
  std::streambuf* saved = std::cin.rdbuf(in.rdbuf());
  std::cin.clear();
  std::ostringstream out;
  std::ostringstream err;
  const int status = cli::run_cli(arguments, out, err);
  std::cin.rdbuf(saved);
  std::cin.clear();
  return {status, out.str(), err.str()};
}

CliRun run_cli_program(const std::vector<std::string>& arguments, std::chrono::seconds within) {
  std::vector<std::string> args = arguments;
  args.insert(args.begin(), program_path("orvadw-cli"));
  ChildProcess child;
  if (!child.start(args)) return {-1, "", child.error()};
  const int status = child.wait(ChildProcess::Clock::now() + within);
  return {status, child.out_text(), child.err_text()};
}

}  // namespace orvadw::test
