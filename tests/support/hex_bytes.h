#pragma once
// Bytes written out as the tests expect to see them printed: "0A FF 10",
// made here with printf so that it does not lean on the code under test.
#include <cstdint>
#include <string>
#include <vector>

namespace orvadw::test {

std::string hex(const std::vector<std::uint8_t>& bytes);

}  // namespace orvadw::test
