#pragma once
// Takes a fuzz input apart: small numbers and byte strings from the front,
// zeros once it is used up, so every input means something.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvadw::fuzz {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool empty() const { return pos_ >= size_; }
  std::size_t remaining() const { return size_ - pos_; }

  std::uint8_t byte() { return empty() ? 0 : data_[pos_++]; }
  std::uint16_t u16() {
    const std::uint16_t high = byte();
    return static_cast<std::uint16_t>((high << 8) | byte());
  }
  std::int32_t i32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
    return static_cast<std::int32_t>(v);
  }
  // One of count choices (count > 0).
  std::size_t pick(std::size_t count) { return byte() % count; }

  // A byte string with a one-byte length in front.
  std::vector<std::uint8_t> counted_bytes() { return bytes(byte()); }
  std::vector<std::uint8_t> bytes(std::size_t count) {
    if (count > remaining()) count = remaining();
    std::vector<std::uint8_t> out(data_ + pos_, data_ + pos_ + count);
    pos_ += count;
    return out;
  }
  std::vector<std::uint8_t> rest() { return bytes(remaining()); }
  std::string rest_text() {
    const std::vector<std::uint8_t> b = rest();
    return std::string(b.begin(), b.end());
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace orvadw::fuzz
