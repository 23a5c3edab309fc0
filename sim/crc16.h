#pragma once
// The JBus frame check (the Modbus CRC-16, polynomial 0xA001 reflected, start
// 0xFFFF). On the wire its low byte goes first. Kept here, apart from the
// link's own frame code, so that the simulator checks the link rather than
// sharing its mistakes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvadw::sim {

// The CRC register after all bytes; send (crc & 0xFF) then (crc >> 8).
std::uint16_t crc16(const std::uint8_t* data, std::size_t length);
// One more byte into a running CRC register (start with 0xFFFF).
std::uint16_t crc16_update(std::uint16_t crc, std::uint8_t byte);

// Appends the CRC, low byte first.
void append_crc(std::vector<std::uint8_t>& frame);

// True when the frame holds at least 3 bytes and its last two are the CRC of
// the others.
bool crc_matches(const std::uint8_t* frame, std::size_t length);

}  // namespace orvadw::sim
