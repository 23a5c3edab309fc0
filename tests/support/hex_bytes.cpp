#include "tests/support/hex_bytes.h"

#include <cstdio>

namespace orvadw::test {

std::string hex(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  char buf[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%s%02X", i ? " " : "", bytes[i]);
    out += buf;
  }
  return out;
}

}  // namespace orvadw::test
