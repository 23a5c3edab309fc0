#pragma once
// One JBus frame as it travels on the wire: slave number, function code, data
// bytes and a CRC-16 sent low byte first. Builds outgoing frames and checks and
// splits incoming ones; never touches the line itself.
#include <cstdint>
#include <vector>

namespace orvadw {

using Bytes = std::vector<std::uint8_t>;

class JBusFrame {
 public:
  JBusFrame() { reset(); }

  // Slave 0xFF, function 0xFF, no bytes, CRC 0xFFFF.
  void reset();

  // CRC-16 of every raw byte except the last two, in wire order: the high
  // half of the result is the byte sent first. 0xFFFF when raw holds 2 bytes
  // or fewer.
  std::uint32_t compute_crc() const;
  // 0 when raw holds more than 2 bytes and its CRC matches the stored one;
  // -1 otherwise.
  int check_crc() const;

  // Fills raw with slave, function, payload and the CRC. Returns 0.
  int build(std::uint8_t slave, std::uint8_t function, const Bytes& payload);
  // Takes a received frame: 0, 202 (fewer than 5 bytes) or 201 (CRC error).
  int parse(const Bytes& received);

  std::uint8_t slave() const { return slave_; }
  std::uint8_t function() const { return function_; }
  // The bytes between the function code and the CRC (empty for a built frame).
  const Bytes& data() const { return data_; }
  // The whole frame, CRC included.
  const Bytes& raw() const { return raw_; }
  std::uint32_t crc() const { return crc_; }

 private:
  Bytes data_;
  Bytes raw_;
  std::uint32_t crc_ = 0xFFFF;
  std::uint8_t function_ = 0xFF;
  std::uint8_t slave_ = 0xFF;
};

}  // namespace orvadw
