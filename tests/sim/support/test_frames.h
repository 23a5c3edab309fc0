#pragma once
// Request frames and field readers written out in the tests themselves, so
// that the simulator is checked against bytes worked out by hand.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/hex_bytes.h"

namespace orvadw::sim::test {

using Bytes = std::vector<std::uint8_t>;

// Appends the two CRC bytes (low first) computed with the plain bit loop.
Bytes with_crc(Bytes frame);
Bytes read_request(int slave, int function, int address, int count);
Bytes write_request(int slave, int address, const Bytes& data);

std::uint16_t u16_at(const Bytes& b, std::size_t offset);
std::uint32_t u32_at(const Bytes& b, std::size_t offset);
float float_at(const Bytes& b, std::size_t offset);
std::string text_at(const Bytes& b, std::size_t offset, std::size_t length);
Bytes slice(const Bytes& b, std::size_t offset, std::size_t length);
using orvadw::test::hex;

}  // namespace orvadw::sim::test
