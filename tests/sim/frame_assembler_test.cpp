// Cutting the request stream into frames: by function code, confirmed by the
// CRC, and back in step after noise.
#include "sim/frame_assembler.h"

#include <gtest/gtest.h>

#include "sim/random_source.h"
#include "support/test_frames.h"

namespace orvadw::sim {
namespace {

using test::Bytes;

std::vector<Bytes> feed(FrameAssembler& a, const Bytes& stream) {
  std::vector<Bytes> frames;
  for (std::uint8_t b : stream) a.push(b, frames);
  return frames;
}

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(FrameAssembler, CutsBackToBackFramesByFunctionCode) {
  FrameAssembler a(1);
  const Bytes read = test::read_request(1, 3, 0x1000, 50);
  const Bytes input = test::read_request(1, 4, 7, 1);
  const Bytes write = test::write_request(1, 0x1000, Bytes(100, 0x5A));  // 109 bytes
  const Bytes odd = test::write_request(2, 0x3000, {1, 2, 3});            // padded to 2 registers
  const auto frames = feed(a, cat({read, write, input, odd, read}));
  ASSERT_EQ(frames.size(), 5u);
  EXPECT_EQ(frames[0], read);
  EXPECT_EQ(frames[1], write);
  EXPECT_EQ(frames[2], input);
  EXPECT_EQ(frames[3], odd);  // frames for other slaves are cut too; the instrument ignores them
  EXPECT_EQ(frames[4], read);
  EXPECT_EQ(a.pending(), 0u);
  EXPECT_EQ(a.rejected_frames(), 0u);
  EXPECT_EQ(a.discarded_bytes(), 0u);
}

TEST(FrameAssembler, UnknownFunctionsEndAtAMatchingCrc) {
  FrameAssembler a(1);
  const Bytes short_one = test::with_crc({1, 0x2B, 0x0E});
  const Bytes eight = test::read_request(1, 6, 0x1000, 1);
  const auto frames = feed(a, cat({short_one, eight, test::read_request(1, 3, 0, 1)}));
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0], short_one);
  EXPECT_EQ(frames[1], eight);
}

TEST(FrameAssembler, ComesBackInStepAfterNoise) {
  const Bytes good = test::read_request(1, 3, 0xFF00, 25);
  const Bytes noises[] = {{0x00},
                          {0x01, 0x03, 0x00, 0x00},
                          {0x01, 0x10, 0x00, 0x00, 0x00, 0x7B, 0xF6},  // promises 255 bytes
                          {0x01, 0x04, 0x00},
                          {0xFF, 0xFF, 0xFF, 0x01, 0x03}};
  for (const Bytes& noise : noises) {
    FrameAssembler a(1);
    const auto frames = feed(a, cat({noise, good}));
    ASSERT_EQ(frames.size(), 1u) << test::hex(noise);
    EXPECT_EQ(frames[0], good);
    EXPECT_EQ(a.pending(), 0u);
    EXPECT_EQ(a.discarded_bytes(), noise.size());
  }

  // A request with a broken CRC is never handed on; the next one is.
  FrameAssembler a(1);
  Bytes broken = good;
  broken[4] ^= 0x10;
  const auto frames = feed(a, cat({broken, good}));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], good);
  EXPECT_GE(a.rejected_frames(), 1u);

  // Noise in front of another slave's request is not mistaken for ours.
  FrameAssembler other(1);
  EXPECT_TRUE(feed(other, cat({{0x99}, test::read_request(2, 3, 0xFF00, 1)})).empty());
}

TEST(FrameAssembler, NoiseAloneStaysBounded) {
  FrameAssembler a(1);
  RandomSource r(3);
  std::vector<Bytes> frames;
  std::size_t largest = 0;
  for (int i = 0; i < 20000; ++i) {
    a.push(static_cast<std::uint8_t>(r.next()), frames);
    largest = std::max(largest, a.pending());
  }
  EXPECT_LE(largest, FrameAssembler::kMaxFrame);
  // Whatever it found had a good CRC; a silence then clears the rest.
  a.discard_partial();
  EXPECT_EQ(a.pending(), 0u);
  const auto after = feed(a, test::read_request(1, 3, 0, 1));
  ASSERT_EQ(after.size(), 1u);
}

TEST(FrameAssembler, DiscardPartialDropsAHalfFrame) {
  FrameAssembler a(1);
  const Bytes good = test::read_request(1, 3, 0x100, 24);
  EXPECT_TRUE(feed(a, Bytes(good.begin(), good.begin() + 5)).empty());
  EXPECT_EQ(a.discard_partial(), 5u);
  const auto frames = feed(a, good);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], good);
}

}  // namespace
}  // namespace orvadw::sim
