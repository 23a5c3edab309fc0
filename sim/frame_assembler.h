#pragma once
// Cuts the request stream that reaches the instrument into frames, the way a
// slave does without help from the line: the function code gives the length
// (3 and 4: 8 bytes; 16: 9 + byte count), the CRC confirms it. Bytes that do
// not make a frame are dropped one at a time until the stream is in step
// again, so that noise from a client cannot wedge the instrument. The owner
// adds the silence rule (discard_partial) because only it knows the time.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvadw::sim {

class FrameAssembler {
 public:
  // Only frames for this slave number or 0 are picked out of the middle of
  // noise; -1 accepts any. Frames at the head of the stream are always cut.
  explicit FrameAssembler(int own_slave = -1) : own_slave_(own_slave) {}

  // Adds one byte; complete frames with a good CRC are appended to frames.
  void push(std::uint8_t byte, std::vector<std::vector<std::uint8_t>>& frames);

  // Drops a partial frame (the line fell silent in the middle of it) and
  // returns how many bytes went.
  std::size_t discard_partial();

  void set_own_slave(int own_slave) { own_slave_ = own_slave; }
  std::size_t pending() const { return buffer_.size(); }
  // Candidate frames whose CRC did not match, and bytes thrown away.
  std::uint64_t rejected_frames() const { return rejected_frames_; }
  std::uint64_t discarded_bytes() const { return discarded_bytes_; }

  // Longest frame there can be (a write with a byte count of 255); it is
  // also how far a frame of unknown function is looked for.
  static constexpr std::size_t kMaxFrame = 9 + 255;

 private:
  void drop_front(std::size_t n);
  bool take_head(std::vector<std::vector<std::uint8_t>>& frames);
  bool take_tail(std::vector<std::vector<std::uint8_t>>& frames);

  int own_slave_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t rejected_frames_ = 0;
  std::uint64_t discarded_bytes_ = 0;
};

}  // namespace orvadw::sim
