#include "link/jbus_frame.h"

#include "base/result_codes.h"

namespace orvadw {

void JBusFrame::reset() {
  slave_ = 0xFF;
  function_ = 0xFF;
  data_.clear();
  raw_.clear();
  crc_ = 0xFFFF;
}

std::uint32_t JBusFrame::compute_crc() const {
  if (raw_.size() <= 2) return 0xFFFF;
  std::uint16_t crc = 0xFFFF;
  const std::size_t end = raw_.size() - 2;
  for (std::size_t i = 0; i < end; ++i) {
    crc ^= raw_[i];
    for (int bit = 0; bit < 8; ++bit) {
      if (crc & 1u) {
        crc = static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u);
      } else {
        crc = static_cast<std::uint16_t>(crc >> 1);
      }
    }
  }
  // Swapped so that the high half is the byte that goes out first.
  return static_cast<std::uint32_t>(((crc & 0xFFu) << 8) | (crc >> 8));
}

int JBusFrame::check_crc() const {
  if (raw_.size() > 2 && compute_crc() == crc_) return 0;
  return -1;
}

int JBusFrame::build(std::uint8_t slave, std::uint8_t function, const Bytes& payload) {
  slave_ = slave;
  function_ = function;
  raw_.clear();
  raw_.reserve(payload.size() + 4);
  raw_.push_back(slave);
  raw_.push_back(function);
  raw_.insert(raw_.end(), payload.begin(), payload.end());
  raw_.push_back(0);
  raw_.push_back(0);
  crc_ = compute_crc();
  raw_[raw_.size() - 2] = static_cast<std::uint8_t>(crc_ >> 8);
  raw_[raw_.size() - 1] = static_cast<std::uint8_t>(crc_ & 0xFF);
  return result::kOk;
}

int JBusFrame::parse(const Bytes& received) {
  reset();
  raw_ = received;
  const std::size_t n = raw_.size();
  if (n < 5) return result::kFrameTooShort;
  crc_ = static_cast<std::uint32_t>(raw_[n - 2]) * 256u + raw_[n - 1];
  if (check_crc() != 0) return result::kCrcError;
  slave_ = raw_[0];
  function_ = raw_[1];
  data_.assign(raw_.begin() + 2, raw_.end() - 2);
  return result::kOk;
}

}  // namespace orvadw
