#include "sim/frame_assembler.h"

#include "sim/crc16.h"

namespace orvadw::sim {

namespace {

// Length of a request by its function code; 0 when unknown, and for a write
// 0 until its byte count has arrived.
std::size_t known_length(const std::uint8_t* frame, std::size_t available) {
  if (available < 2) return 0;
  switch (frame[1]) {
    case 3:
    case 4:
      return 8;
    case 16:
      return available >= 7 ? 9u + frame[6] : 0;
    default:
      return 0;
  }
}

bool is_known_function(std::uint8_t function) {
  return function == 3 || function == 4 || function == 16;
}

}  // namespace

void FrameAssembler::drop_front(std::size_t n) {
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
  discarded_bytes_ += n;
}

std::size_t FrameAssembler::discard_partial() {
  const std::size_t n = buffer_.size();
  drop_front(n);
  return n;
}

// Tries to cut a frame at the head of the buffer. True when the buffer
// changed (a frame went out or bytes were dropped) and should be looked at
// again.
bool FrameAssembler::take_head(std::vector<std::vector<std::uint8_t>>& frames) {
  const std::size_t size = buffer_.size();
  if (size < 2) return false;
  if (is_known_function(buffer_[1])) {
    const std::size_t length = known_length(buffer_.data(), size);
    if (length == 0 || size < length) return false;
    if (crc_matches(buffer_.data(), length)) {
      frames.emplace_back(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(length));
      buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(length));
      return true;
    }
    ++rejected_frames_;
    drop_front(1);
    return true;
  }
  // Unknown function: any prefix of at least 4 bytes whose CRC matches is a
  // frame (the instrument refuses it with an exception).
  std::uint16_t crc = crc16(buffer_.data(), 2);
  for (std::size_t length = 4; length <= size; ++length) {
    if (length > 4) crc = crc16_update(crc, buffer_[length - 3]);
    if (buffer_[length - 2] == (crc & 0xFF) && buffer_[length - 1] == (crc >> 8)) {
      frames.emplace_back(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(length));
      buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(length));
      return true;
    }
  }
  if (size >= kMaxFrame) {
    drop_front(1);
    return true;
  }
  return false;
}

// A complete request that ends with the newest byte, behind noise at the
// head: take it and drop the noise.
bool FrameAssembler::take_tail(std::vector<std::vector<std::uint8_t>>& frames) {
  const std::size_t size = buffer_.size();
  for (std::size_t start = 1; start + 4 <= size; ++start) {
    const std::uint8_t* frame = buffer_.data() + start;
    const std::size_t available = size - start;
    if (!is_known_function(frame[1])) continue;
    if (own_slave_ >= 0 && frame[0] != 0 && frame[0] != own_slave_) continue;
    if (known_length(frame, available) != available) continue;
    if (!crc_matches(frame, available)) continue;
    drop_front(start);
    frames.emplace_back(buffer_.begin(), buffer_.end());
    buffer_.clear();
    return true;
  }
  return false;
}

void FrameAssembler::push(std::uint8_t byte, std::vector<std::vector<std::uint8_t>>& frames) {
  buffer_.push_back(byte);
  while (!buffer_.empty()) {
    if (take_head(frames)) continue;
    take_tail(frames);
    break;
  }
}

}  // namespace orvadw::sim
