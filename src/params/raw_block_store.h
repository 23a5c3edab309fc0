#pragma once
// The last image received of register blocks, kept as bytes without
// decoding. A block registered with its own register count is read with that
// count and only an image of exactly that size is kept for it; other blocks
// keep whatever image they were last given. The settings family keeps the
// entries of its sequences that have no fields here; the measurement and ESC
// views keep their last answers the same way.
#include <cstdint>
#include <map>
#include <span>
#include <vector>

namespace orvadw {

class RawBlockStore {
 public:
  // Registers block with its own register count (replacing an earlier one
  // and dropping its image). A count below 1 or above 125 (more than one
  // read can carry) is refused with -1.
  int register_block(int block, int register_count);
  void unregister_block(int block);
  bool is_registered(int block) const;
  // The registered count; 0 for a block that is not registered.
  int register_count(int block) const;

  // Keeps bytes as the block's last image. A registered block takes exactly
  // two bytes per register; anything else is refused with -1 and the image
  // it had stays.
  int keep(int block, std::span<const std::uint8_t> bytes);
  bool received(int block) const;
  // The last image; empty when none was received.
  std::span<const std::uint8_t> image(int block) const;
  // Drops every image, keeping the registrations.
  void clear_images();

 private:
  struct Entry {
    int register_count = 0;  // 0: not registered
    bool received = false;
    std::vector<std::uint8_t> bytes;
  };
  std::map<int, Entry> entries_;
};

}  // namespace orvadw
