#pragma once
// The three ordered block lists of a settings-family window: the blocks read
// from the instrument, the blocks a transfer writes, and the blocks its data
// file holds (one record each). A block has at most one place in each list.
#include <array>
#include <vector>

namespace orvadw {

enum class Sequence { kRead = 0, kWrite = 1, kFile = 2 };

class BlockSequences {
 public:
  BlockSequences() = default;
  BlockSequences(std::vector<int> read, std::vector<int> write, std::vector<int> file);

  // Puts block at position in the sequence, after taking it out of the
  // place it had there: a position equal to the current length appends it,
  // -1 only removes it. A position beyond the length (or below -1) is
  // refused with -1 and the sequence stays as it was.
  int set(int block, int position, Sequence sequence);
  int length(Sequence sequence) const;
  const std::vector<int>& blocks(Sequence sequence) const;
  bool contains(int block, Sequence sequence) const;
  void clear(Sequence sequence);

 private:
  std::vector<int>& list(Sequence sequence) { return lists_[static_cast<std::size_t>(sequence)]; }
  std::array<std::vector<int>, 3> lists_;
};

}  // namespace orvadw
