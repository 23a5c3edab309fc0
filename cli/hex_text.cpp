#include "cli/hex_text.h"

#include <cstdio>
#include <ostream>
#include <sstream>

namespace orvadw::cli {

std::string hex_text(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0) out.push_back(' ');
    out.push_back(kDigits[bytes[i] >> 4]);
    out.push_back(kDigits[bytes[i] & 0x0F]);
  }
  return out;
}

std::string hex_address(int address) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(address));
  return text;
}

bool parse_hex_words(const std::vector<std::string>& words, std::vector<std::uint8_t>& bytes,
                     std::ostream& err) {
  auto nibble = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  bytes.clear();
  // "01 02" given as one quoted word counts as two.
  std::vector<std::string> split;
  for (const std::string& word : words) {
    std::istringstream in(word);
    for (std::string part; in >> part;) split.push_back(part);
  }
  if (split.empty() && !words.empty()) {
    err << "orvadw-cli: no hexadecimal bytes given\n";
    return false;
  }
  for (const std::string& word : split) {
    std::string digits = word;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
      digits = digits.substr(2);
    }
    if (digits.empty() || digits.size() % 2 != 0) {
      err << "orvadw-cli: not whole hexadecimal bytes: " << word << "\n";
      return false;
    }
    for (std::size_t i = 0; i < digits.size(); i += 2) {
      const int high = nibble(digits[i]);
      const int low = nibble(digits[i + 1]);
      if (high < 0 || low < 0) {
        err << "orvadw-cli: not a hexadecimal byte: " << word << "\n";
        return false;
      }
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
  }
  return true;
}

}  // namespace orvadw::cli
