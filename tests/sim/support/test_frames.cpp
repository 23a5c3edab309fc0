#include "support/test_frames.h"

#include <cstdio>
#include <cstring>

namespace orvadw::sim::test {

Bytes with_crc(Bytes frame) {
  unsigned crc = 0xFFFF;
  for (std::uint8_t b : frame) {
    crc ^= b;
    for (int i = 0; i < 8; ++i) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
  return frame;
}

Bytes read_request(int slave, int function, int address, int count) {
  return with_crc({static_cast<std::uint8_t>(slave), static_cast<std::uint8_t>(function),
                   static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address),
                   static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count)});
}

Bytes write_request(int slave, int address, const Bytes& data) {
  const int count = static_cast<int>((data.size() + 1) / 2);
  Bytes frame{static_cast<std::uint8_t>(slave), 16, static_cast<std::uint8_t>(address >> 8),
              static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(count >> 8),
              static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(2 * count)};
  frame.insert(frame.end(), data.begin(), data.end());
  if (data.size() % 2) frame.push_back(0);
  return with_crc(frame);
}

std::uint16_t u16_at(const Bytes& b, std::size_t offset) {
  return static_cast<std::uint16_t>((b.at(offset) << 8) | b.at(offset + 1));
}

std::uint32_t u32_at(const Bytes& b, std::size_t offset) {
  return (std::uint32_t{b.at(offset)} << 24) | (std::uint32_t{b.at(offset + 1)} << 16) |
         (std::uint32_t{b.at(offset + 2)} << 8) | b.at(offset + 3);
}

float float_at(const Bytes& b, std::size_t offset) {
  const std::uint32_t bits = u32_at(b, offset);
  float f = 0;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

std::string text_at(const Bytes& b, std::size_t offset, std::size_t length) {
  return std::string(b.begin() + static_cast<std::ptrdiff_t>(offset),
                     b.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

Bytes slice(const Bytes& b, std::size_t offset, std::size_t length) {
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(offset),
               b.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

}  // namespace orvadw::sim::test
