#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_command.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return orvadw::cli::run_cli(arguments, std::cout, std::cerr);
}
