#include "support/params_test_support.h"

#include <cctype>
#include <clocale>

#include "tests/support/hex_bytes.h"

namespace orvadw::test {

std::vector<std::uint8_t> bytes_from_hex(const std::string& hex) {
  std::vector<std::uint8_t> out;
  std::string digits;
  for (char c : hex) {
    if (std::isxdigit(static_cast<unsigned char>(c))) digits.push_back(c);
  }
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  }
  return out;
}

std::string hex_of(std::span<const std::uint8_t> bytes) {
  return hex(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

ProcessLocale::ProcessLocale(const char* name) {
  const char* current = std::setlocale(LC_ALL, nullptr);
  previous_ = current != nullptr ? current : "C";
  ok_ = std::setlocale(LC_ALL, name) != nullptr;
}

ProcessLocale::~ProcessLocale() { std::setlocale(LC_ALL, previous_.c_str()); }

}  // namespace orvadw::test
