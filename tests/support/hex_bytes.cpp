#include "tests/support/hex_bytes.h"

#include <cctype>
#include <cstdio>

namespace orvadw::test {

std::string hex(std::span<const std::uint8_t> bytes) {
  std::string out;
  char buf[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%s%02X", i ? " " : "", bytes[i]);
    out += buf;
  }
  return out;
}

std::vector<std::uint8_t> bytes_from_hex(const std::string& text) {
  std::vector<std::uint8_t> out;
  std::string digits;
  for (char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c))) digits.push_back(c);
  }
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  }
  return out;
}

}  // namespace orvadw::test
