#pragma once
// Bytes written out as the tests expect to see them printed: "0A FF 10",
// made here with printf so that it does not lean on the code under test;
// and the reverse, for expected bytes written as text in a test.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvadw::test {

std::string hex(std::span<const std::uint8_t> bytes);
inline std::string hex(const std::vector<std::uint8_t>& bytes) {
  return hex(std::span<const std::uint8_t>(bytes));
}
// "00 0A ff" or "000aff" -> bytes; characters that are not hex digits are
// passed over.
std::vector<std::uint8_t> bytes_from_hex(const std::string& text);

}  // namespace orvadw::test
