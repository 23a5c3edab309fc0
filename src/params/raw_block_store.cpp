#include "params/raw_block_store.h"

namespace orvadw {

namespace {
// A read answer carries its byte count in one byte: 125 registers at most.
constexpr int kMaxRegisters = 125;
}  // namespace

int RawBlockStore::register_block(int block, int register_count) {
  if (register_count < 1 || register_count > kMaxRegisters) return -1;
  entries_[block] = Entry{register_count, false, {}};
  return 0;
}

void RawBlockStore::unregister_block(int block) {
  entries_.erase(block);
}

bool RawBlockStore::is_registered(int block) const {
  return register_count(block) > 0;
}

int RawBlockStore::register_count(int block) const {
  auto it = entries_.find(block);
  return it == entries_.end() ? 0 : it->second.register_count;
}

int RawBlockStore::keep(int block, std::span<const std::uint8_t> bytes) {
  Entry& entry = entries_[block];
  if (entry.register_count > 0 &&
      bytes.size() != 2 * static_cast<std::size_t>(entry.register_count)) {
    return -1;
  }
  entry.bytes.assign(bytes.begin(), bytes.end());
  entry.received = true;
  return 0;
}

bool RawBlockStore::received(int block) const {
  auto it = entries_.find(block);
  return it != entries_.end() && it->second.received;
}

std::span<const std::uint8_t> RawBlockStore::image(int block) const {
  auto it = entries_.find(block);
  if (it == entries_.end() || !it->second.received) return {};
  return it->second.bytes;
}

void RawBlockStore::clear_images() {
  for (auto& [block, entry] : entries_) {
    entry.received = false;
    entry.bytes.clear();
  }
}

}  // namespace orvadw
