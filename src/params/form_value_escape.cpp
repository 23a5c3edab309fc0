#include "params/form_value_escape.h"

namespace orvadw {

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string escape_form_value(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (u < 0x20 || u == 0x7F) {
      out += "\\x";
      out.push_back(kHex[u >> 4]);
      out.push_back(kHex[u & 0x0F]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string unescape_form_value(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      if (text[i + 1] == '\\') {
        out.push_back('\\');
        ++i;
        continue;
      }
      if (text[i + 1] == 'x' && i + 3 < text.size()) {
        const int high = hex_digit(text[i + 2]);
        const int low = hex_digit(text[i + 3]);
        if (high >= 0 && low >= 0) {
          out.push_back(static_cast<char>(high * 16 + low));
          i += 3;
          continue;
        }
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace orvadw
