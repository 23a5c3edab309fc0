#include "params/block_sequences.h"

#include <algorithm>

namespace orvadw {

BlockSequences::BlockSequences(std::vector<int> read, std::vector<int> write,
                               std::vector<int> file) {
  for (int block : read) set(block, length(Sequence::kRead), Sequence::kRead);
  for (int block : write) set(block, length(Sequence::kWrite), Sequence::kWrite);
  for (int block : file) set(block, length(Sequence::kFile), Sequence::kFile);
}

int BlockSequences::set(int block, int position, Sequence sequence) {
  std::vector<int>& current = list(sequence);
  if (position < -1 || position > static_cast<int>(current.size())) return -1;
  std::vector<int> updated = current;
  updated.erase(std::remove(updated.begin(), updated.end(), block), updated.end());
  if (position == -1) {
    current = std::move(updated);
    return 0;
  }
  // The current length appends, also for a block that was already there.
  const auto at = std::min<std::size_t>(static_cast<std::size_t>(position), updated.size());
  updated.insert(updated.begin() + static_cast<std::ptrdiff_t>(at), block);
  current = std::move(updated);
  return 0;
}

int BlockSequences::length(Sequence sequence) const {
  return static_cast<int>(blocks(sequence).size());
}

const std::vector<int>& BlockSequences::blocks(Sequence sequence) const {
  return lists_[static_cast<std::size_t>(sequence)];
}

bool BlockSequences::contains(int block, Sequence sequence) const {
  const auto& l = blocks(sequence);
  return std::find(l.begin(), l.end(), block) != l.end();
}

void BlockSequences::clear(Sequence sequence) {
  list(sequence).clear();
}

}  // namespace orvadw
