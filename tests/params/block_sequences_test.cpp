// The block lists of a settings-family window, the raw images of entries
// read without decoding, and the read and transfer loops over them: order,
// attempts, progress steps and where a failure stops them.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "params/block_sequence_runner.h"
#include "params/block_sequences.h"
#include "params/raw_block_store.h"

namespace orvadw {
namespace {

TEST(BlockSequences, EachBlockHasOnePlaceAndPositionsBeyondTheEndAreRefused) {
  BlockSequences s({0x100, 0x1000}, {0x1000}, {0x1000});
  EXPECT_EQ(s.blocks(Sequence::kRead), (std::vector<int>{0x100, 0x1000}));
  EXPECT_EQ(s.set(0x2301, 0, Sequence::kWrite), 0);
  EXPECT_EQ(s.set(0x230A, s.length(Sequence::kWrite), Sequence::kWrite), 0);  // appended
  EXPECT_EQ(s.blocks(Sequence::kWrite), (std::vector<int>{0x2301, 0x1000, 0x230A}));
  // Moving a block to the current length takes it out and appends it.
  EXPECT_EQ(s.set(0x2301, s.length(Sequence::kWrite), Sequence::kWrite), 0);
  EXPECT_EQ(s.blocks(Sequence::kWrite), (std::vector<int>{0x1000, 0x230A, 0x2301}));
  EXPECT_EQ(s.set(0x1000, -1, Sequence::kWrite), 0);
  EXPECT_EQ(s.set(0x4000, -1, Sequence::kWrite), 0);  // not there: nothing to remove
  EXPECT_EQ(s.blocks(Sequence::kWrite), (std::vector<int>{0x230A, 0x2301}));
  EXPECT_EQ(s.set(0x3000, 3, Sequence::kWrite), -1);
  EXPECT_EQ(s.set(0x3000, -2, Sequence::kWrite), -1);
  EXPECT_EQ(s.blocks(Sequence::kWrite), (std::vector<int>{0x230A, 0x2301}));
  // The other lists never moved.
  EXPECT_EQ(s.blocks(Sequence::kRead), (std::vector<int>{0x100, 0x1000}));
  EXPECT_EQ(s.blocks(Sequence::kFile), (std::vector<int>{0x1000}));
  // A table that names a block twice keeps it once, at its last place.
  BlockSequences twice({0x100, 0x100}, {}, {});
  EXPECT_EQ(twice.blocks(Sequence::kRead), (std::vector<int>{0x100}));
}

TEST(RawBlockStore, ARegisteredBlockKeepsOnlyAnImageOfItsOwnSize) {
  RawBlockStore store;
  EXPECT_EQ(store.register_block(0xB00, 0), -1);
  EXPECT_EQ(store.register_block(0xB00, 126), -1);
  ASSERT_EQ(store.register_block(0xB00, 2), 0);
  EXPECT_TRUE(store.is_registered(0xB00));
  EXPECT_EQ(store.register_count(0xB00), 2);
  EXPECT_FALSE(store.received(0xB00));
  EXPECT_TRUE(store.image(0xB00).empty());

  const std::vector<std::uint8_t> four = {1, 2, 3, 4};
  EXPECT_EQ(store.keep(0xB00, std::vector<std::uint8_t>{9, 9, 9}), -1);
  EXPECT_FALSE(store.received(0xB00));
  ASSERT_EQ(store.keep(0xB00, four), 0);
  EXPECT_EQ(std::vector<std::uint8_t>(store.image(0xB00).begin(), store.image(0xB00).end()), four);
  // A short answer later does not replace the good image.
  EXPECT_EQ(store.keep(0xB00, std::vector<std::uint8_t>{7, 7}), -1);
  EXPECT_EQ(store.image(0xB00)[0], 1);

  // Unregistered blocks keep whatever came last.
  EXPECT_EQ(store.keep(0x100, std::vector<std::uint8_t>{5}), 0);
  EXPECT_FALSE(store.is_registered(0x100));
  EXPECT_EQ(store.image(0x100).size(), 1u);

  store.clear_images();
  EXPECT_FALSE(store.received(0xB00));
  EXPECT_TRUE(store.is_registered(0xB00));
  store.unregister_block(0xB00);
  EXPECT_FALSE(store.is_registered(0xB00));
}

// A scripted instrument: each block answers from its own queue of results
// (the last one repeats), and every call is logged.
class ScriptedBlocks : public BlockAccess {
 public:
  std::map<int, std::vector<int>> results;
  std::vector<std::string> log;
  int steps = 0;

  int read_block(int block) override { return next("read", block); }
  int write_block(int block) override { return next("write", block); }
  void step_progress(int amount) override { steps += amount; }

 private:
  int next(const char* what, int block) {
    log.push_back(std::string(what) + " " + std::to_string(block));
    auto& queue = results[block];
    if (queue.empty()) return 0;
    const int rc = queue.front();
    if (queue.size() > 1) queue.erase(queue.begin());
    return rc;
  }
};

TEST(BlockSequenceRunner, ReadsStopAtTheFirstFailure) {
  ScriptedBlocks blocks;
  blocks.results[2] = {-1};
  const SequenceOutcome outcome = read_sequence({1, 2, 3}, blocks);
  EXPECT_EQ(outcome.result, -1);
  EXPECT_EQ(outcome.failed_block, 2);
  EXPECT_EQ(outcome.done, (std::vector<int>{1}));
  EXPECT_EQ(blocks.log, (std::vector<std::string>{"read 1", "read 2"}));
  EXPECT_EQ(blocks.steps, 1);
}

TEST(BlockSequenceRunner, TransfersRetryEachBlockAndStopAtOneThatStillFails) {
  // Two attempts: a block failing once then answering does not stop the
  // transfer; one failing twice does, and nothing after it is written.
  ScriptedBlocks blocks;
  blocks.results[10] = {-1, 0};
  blocks.results[20] = {500, 500};
  const SequenceOutcome outcome = transfer_sequence({10, 20, 30}, 2, blocks);
  EXPECT_EQ(outcome.result, 500);
  EXPECT_EQ(outcome.failed_block, 20);
  EXPECT_EQ(outcome.done, (std::vector<int>{10}));
  EXPECT_EQ(blocks.log, (std::vector<std::string>{"write 10", "write 10", "write 20", "write 20"}));
  EXPECT_EQ(blocks.steps, 4);  // one step a try
  EXPECT_EQ(transfer_progress_range(3, 2), 7);

  // One attempt a block, the window's Transfer button.
  ScriptedBlocks once;
  once.results[10] = {-1, 0};
  EXPECT_EQ(transfer_sequence({10, 20}, 1, once).failed_block, 10);
  EXPECT_EQ(once.log.size(), 1u);
  // Nothing to write succeeds at once.
  ScriptedBlocks none;
  EXPECT_TRUE(transfer_sequence({}, 2, none).ok());
  EXPECT_TRUE(none.log.empty());
  EXPECT_EQ(transfer_progress_range(0, 2), 1);
  // Attempts below one still try once.
  ScriptedBlocks zero;
  EXPECT_TRUE(transfer_sequence({5}, 0, zero).ok());
  EXPECT_EQ(zero.log.size(), 1u);
}

}  // namespace
}  // namespace orvadw
