#include "files/logo_bitmap.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>

namespace orvadw {

namespace {

std::uint32_t u16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t u32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

bool is_usable_logo(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char head[14 + 40] = {};
  in.read(reinterpret_cast<char*>(head), sizeof head);
  const std::streamsize got = in.gcount();
  if (got < 14 + 12 || head[0] != 'B' || head[1] != 'M') return false;
  const unsigned char* info = head + 14;
  const std::uint32_t info_size = u32(info);
  long width = 0;
  long height = 0;
  std::uint32_t planes = 0;
  std::uint32_t bits = 0;
  if (info_size == 12) {
    // The old core header: 16-bit sizes.
    width = static_cast<long>(u16(info + 4));
    height = static_cast<long>(u16(info + 6));
    planes = u16(info + 8);
    bits = u16(info + 10);
  } else if (info_size >= 40 && got >= 14 + 40) {
    width = static_cast<std::int32_t>(u32(info + 4));
    // A negative height stores the rows top-down; the picture is the same.
    height = std::labs(static_cast<std::int32_t>(u32(info + 8)));
    planes = u16(info + 12);
    bits = u16(info + 14);
  } else {
    return false;
  }
  return width == kLogoWidth && height == kLogoHeight && planes == 1 && bits >= 1 &&
         bits <= static_cast<std::uint32_t>(kLogoMaxBitsPerPixel);
}

}  // namespace orvadw
