#include "link/jbus_frame.h"

#include <gtest/gtest.h>

#include "base/result_codes.h"

namespace orvadw {
namespace {

// Bit-by-bit CRC-16 (polynomial 0x8005, reflected, initial 0xFFFF), written
// independently from the frame's loop: returns the two bytes as sent.
std::pair<std::uint8_t, std::uint8_t> reference_crc(const Bytes& bytes) {
  std::uint32_t crc = 0xFFFF;
  for (std::uint8_t b : bytes) {
    for (int bit = 0; bit < 8; ++bit) {
      const bool in = ((b >> bit) & 1) != (crc & 1);
      crc >>= 1;
      if (in) crc ^= 0xA001;
    }
  }
  return {static_cast<std::uint8_t>(crc & 0xFF), static_cast<std::uint8_t>(crc >> 8)};
}

TEST(JBusFrame, ResetStateAfterConstructionAndReset) {
  JBusFrame frame;
  EXPECT_EQ(frame.slave(), 0xFF);
  EXPECT_EQ(frame.function(), 0xFF);
  EXPECT_TRUE(frame.raw().empty());
  EXPECT_TRUE(frame.data().empty());
  EXPECT_EQ(frame.crc(), 0xFFFFu);
  frame.build(1, 3, {0, 0, 0, 1});
  frame.reset();
  EXPECT_EQ(frame.slave(), 0xFF);
  EXPECT_TRUE(frame.raw().empty());
  EXPECT_EQ(frame.crc(), 0xFFFFu);
  EXPECT_EQ(frame.compute_crc(), 0xFFFFu);
  EXPECT_EQ(frame.check_crc(), -1);
}

TEST(JBusFrame, BuildsKnownReadRequest) {
  JBusFrame frame;
  EXPECT_EQ(frame.build(1, 3, {0x00, 0x00, 0x00, 0x01}), 0);
  EXPECT_EQ(frame.raw(), (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}));
  EXPECT_EQ(frame.crc(), 0x840Au);
  EXPECT_EQ(frame.check_crc(), 0);
  EXPECT_TRUE(frame.data().empty());
}

TEST(JBusFrame, CrcMatchesIndependentComputationOnManyFrames) {
  // Other published vectors and pseudo-random payloads.
  JBusFrame frame;
  frame.build(0x11, 0x03, {0x00, 0x6B, 0x00, 0x03});
  EXPECT_EQ(frame.raw()[6], 0x76);
  EXPECT_EQ(frame.raw()[7], 0x87);
  std::uint32_t seed = 12345;
  for (int len = 0; len < 300; len += 7) {
    Bytes payload;
    for (int i = 0; i < len; ++i) {
      seed = seed * 1103515245u + 12345u;
      payload.push_back(static_cast<std::uint8_t>(seed >> 16));
    }
    frame.build(static_cast<std::uint8_t>(len), 16, payload);
    Bytes head(frame.raw().begin(), frame.raw().end() - 2);
    const auto [lo, hi] = reference_crc(head);
    ASSERT_EQ(frame.raw()[frame.raw().size() - 2], lo) << "length " << len;
    ASSERT_EQ(frame.raw()[frame.raw().size() - 1], hi) << "length " << len;
  }
}

TEST(JBusFrame, ParseSplitsAGoodFrame) {
  JBusFrame built;
  built.build(7, 3, {0x04, 0x12, 0x34, 0xAB, 0xCD});
  JBusFrame frame;
  ASSERT_EQ(frame.parse(built.raw()), 0);
  EXPECT_EQ(frame.slave(), 7);
  EXPECT_EQ(frame.function(), 3);
  EXPECT_EQ(frame.data(), (Bytes{0x04, 0x12, 0x34, 0xAB, 0xCD}));
  EXPECT_EQ(frame.raw(), built.raw());
  EXPECT_EQ(frame.crc(), built.crc());
}

TEST(JBusFrame, ParseRefusesShortAndDamagedFrames) {
  JBusFrame frame;
  // Four bytes whose CRC would match are still too short.
  JBusFrame four;
  four.build(1, 0x83, {});
  ASSERT_EQ(four.raw().size(), 4u);
  EXPECT_EQ(frame.parse(four.raw()), result::kFrameTooShort);
  EXPECT_EQ(frame.parse({}), result::kFrameTooShort);
  EXPECT_EQ(frame.slave(), 0xFF);

  // A 5-byte exception answer with a correct CRC parses.
  JBusFrame exception;
  exception.build(1, 0x83, {0x02});
  ASSERT_EQ(frame.parse(exception.raw()), 0);
  EXPECT_EQ(frame.function(), 0x83);
  EXPECT_EQ(frame.data(), Bytes{0x02});

  // Swapped CRC bytes.
  Bytes swapped = exception.raw();
  std::swap(swapped[3], swapped[4]);
  EXPECT_EQ(frame.parse(swapped), result::kCrcError);
  EXPECT_TRUE(frame.data().empty());

  // Every single-bit error in a longer frame is caught.
  JBusFrame answer;
  answer.build(1, 3, {0x04, 0x00, 0x10, 0x00, 0x20});
  for (std::size_t i = 0; i < answer.raw().size(); ++i) {
    for (int bit = 0; bit < 8; ++bit) {
      Bytes damaged = answer.raw();
      damaged[i] ^= static_cast<std::uint8_t>(1u << bit);
      ASSERT_EQ(frame.parse(damaged), result::kCrcError) << "byte " << i << " bit " << bit;
    }
  }
}

}  // namespace
}  // namespace orvadw
