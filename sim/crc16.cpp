#include "sim/crc16.h"

#include <array>

namespace orvadw::sim {

namespace {

// Byte-wise table of the bit loop (x ^ b, then 8 shifts with 0xA001), built
// once at compile time; the simulator checks every request with it.
constexpr std::array<std::uint16_t, 256> make_table() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    std::uint16_t crc = static_cast<std::uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1u) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u)
                       : static_cast<std::uint16_t>(crc >> 1);
    }
    table[i] = crc;
  }
  return table;
}

constexpr std::array<std::uint16_t, 256> kTable = make_table();

}  // namespace

std::uint16_t crc16_update(std::uint16_t crc, std::uint8_t byte) {
  return static_cast<std::uint16_t>((crc >> 8) ^ kTable[(crc ^ byte) & 0xFFu]);
}

std::uint16_t crc16(const std::uint8_t* data, std::size_t length) {
  std::uint16_t crc = 0xFFFF;
  for (std::size_t i = 0; i < length; ++i) {
    crc = static_cast<std::uint16_t>((crc >> 8) ^ kTable[(crc ^ data[i]) & 0xFFu]);
  }
  return crc;
}

void append_crc(std::vector<std::uint8_t>& frame) {
  const std::uint16_t crc = crc16(frame.data(), frame.size());
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool crc_matches(const std::uint8_t* frame, std::size_t length) {
  if (length < 3) return false;
  const std::uint16_t crc = crc16(frame, length - 2);
  return frame[length - 2] == (crc & 0xFF) && frame[length - 1] == (crc >> 8);
}

}  // namespace orvadw::sim
