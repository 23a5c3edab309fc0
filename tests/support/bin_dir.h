#pragma once
// Where the tests find the project's programs (orvadw-sim, orvadw-cli).
#include <string>

namespace orvadw::test {

// $ORVADW_BIN_DIR (ctest sets it), else the folder of the running test.
std::string bin_dir();

// bin_dir() + "/" + name.
std::string program_path(const std::string& name);

}  // namespace orvadw::test
