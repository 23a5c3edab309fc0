#include "support/cli_run.h"

#include <iostream>
#include <sstream>

#include "cli/cli_command.h"

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

}  // namespace orvadw::test
