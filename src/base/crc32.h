#pragma once
// CRC-32 as zip, PNG and most tools compute it (reflected polynomial
// 0xEDB88320, initial and final value 0xFFFFFFFF), so that a printed checksum
// can be checked with any of them.
#include <cstdint>
#include <span>

namespace orvadw {

// Continues a checksum over more bytes; start with crc32_update(0, first).
std::uint32_t crc32_update(std::uint32_t crc, std::span<const std::uint8_t> bytes);
inline std::uint32_t crc32(std::span<const std::uint8_t> bytes) {
  return crc32_update(0, bytes);
}

}  // namespace orvadw
