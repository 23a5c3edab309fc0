#pragma once
// A program's output cut into its lines.
#include <string>
#include <vector>

namespace orvadw::test {

// The lines of text without their line ends; a last line without one counts.
std::vector<std::string> lines_of(const std::string& text);

}  // namespace orvadw::test
