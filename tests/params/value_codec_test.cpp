// Byte layouts of every value type: exact bytes, round trips at the limits,
// saturation instead of wrapping, and reads that stay inside the data.
#include "params/value_codec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "params/parameter_descriptor.h"
#include "tests/support/hex_bytes.h"
#include "tests/support/process_locale.h"

namespace orvadw {
namespace {

using test::bytes_from_hex;
using test::hex;

struct IntegerRange {
  std::uint32_t type;
  long long lowest;
  long long highest;
};

double read_back(std::uint32_t type, const std::vector<std::uint8_t>& bytes, int offset = 1) {
  double v = -12345;
  EXPECT_TRUE(ValueCodec::read_number(type, bytes, offset, v)) << std::hex << type;
  return v;
}

TEST(ValueCodec, IntegerTypesRoundTripAtTheirLimitsAndSaturateBeyond) {
  const IntegerRange ranges[] = {
      {0x100, 0, 255},
      {0xA000, 0, 255},
      {0x200, -32768, 32767},
      {0x300, -8388608, 8388607},
      {0x3000, 0, 65535},
      {0x4000, 0, 4294967295LL},
      {0x8000, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()},
      {0x600, 0, 15},
      {0x700, 0, 15},
  };
  for (const auto& r : ranges) {
    SCOPED_TRACE(testing::Message() << "type 0x" << std::hex << r.type);
    // One guard byte on each side catches writes that spill over.
    const int size = value_type_size(r.type, 0);
    for (long long v : {r.lowest, r.highest, r.lowest + 1, r.highest - 1}) {
      std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size + 2), 0);
      ASSERT_TRUE(ValueCodec::write_integer(r.type, bytes, 1, v));
      EXPECT_EQ(read_back(r.type, bytes), static_cast<double>(v));
      EXPECT_EQ(bytes.front(), 0);
      EXPECT_EQ(bytes.back(), 0);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size + 2), 0);
    ValueCodec::write_integer(r.type, bytes, 1, r.highest + 1000);
    EXPECT_EQ(read_back(r.type, bytes), static_cast<double>(r.highest));
    ValueCodec::write_integer(r.type, bytes, 1, r.lowest - 1000);
    EXPECT_EQ(read_back(r.type, bytes), static_cast<double>(r.lowest));
    ValueCodec::write_integer(r.type, bytes, 1, std::numeric_limits<long long>::max());
    EXPECT_EQ(read_back(r.type, bytes), static_cast<double>(r.highest));
  }
}

TEST(ValueCodec, ExactBytesMostSignificantFirst) {
  std::vector<std::uint8_t> b(4, 0);
  ValueCodec::write_integer(0x300, b, 0, 279);
  EXPECT_EQ(hex(std::span(b).first(3)), "00 01 17");
  ValueCodec::write_integer(0x300, b, 0, -1);
  EXPECT_EQ(hex(std::span(b).first(3)), "FF FF FF");
  ValueCodec::write_integer(0x200, b, 0, -2);
  EXPECT_EQ(hex(std::span(b).first(2)), "FF FE");
  ValueCodec::write_integer(0x3000, b, 0, 10);
  EXPECT_EQ(hex(std::span(b).first(2)), "00 0A");
  ValueCodec::write_integer(0x4000, b, 0, 65537);
  EXPECT_EQ(hex(b), "00 01 00 01");
  ValueCodec::write_integer(0x8000, b, 0, -2);
  EXPECT_EQ(hex(b), "FF FF FF FE");

  auto ff = bytes_from_hex("FF FF FF");
  EXPECT_EQ(read_back(0x300, ff, 0), -1);
  EXPECT_EQ(read_back(0x200, ff, 0), -1);
  EXPECT_EQ(read_back(0x3000, ff, 0), 65535);

  auto ten = bytes_from_hex("41 20 00 00");
  EXPECT_EQ(read_back(0x400, ten, 0), 10.0);
  std::vector<std::uint8_t> f(4, 0);
  ValueCodec::write_number(0x400, f, 0, -2.5);
  EXPECT_EQ(hex(f), "C0 20 00 00");

  std::vector<std::uint8_t> d(8, 0);
  ValueCodec::write_number(0xB000, d, 0, 1.0);
  EXPECT_EQ(hex(d), "3F F0 00 00 00 00 00 00");
  ValueCodec::write_number(0xB000, d, 0, -1234.5678);
  EXPECT_EQ(read_back(0xB000, d, 0), -1234.5678);
}

TEST(ValueCodec, NibblesBitsAndMasksShareTheirByte) {
  std::vector<std::uint8_t> b(1, 0);
  ValueCodec::write_integer(0x600, b, 0, 0xA);
  ValueCodec::write_integer(0x700, b, 0, 0x5);
  EXPECT_EQ(b[0], 0xA5);
  EXPECT_EQ(read_back(0x600, b, 0), 0xA);
  EXPECT_EQ(read_back(0x700, b, 0), 0x5);
  ValueCodec::write_integer(0x700, b, 0, 17);  // saturates, never keeps only the low nibble
  EXPECT_EQ(b[0], 0xAF);

  // Single bits read as their weight and write 0/1 without touching the others.
  b[0] = 0;
  for (int bit = 0; bit < 8; ++bit) {
    std::uint32_t type = 0x800 + 0x100 * static_cast<std::uint32_t>(bit);
    ValueCodec::write_integer(type, b, 0, bit % 2);
  }
  EXPECT_EQ(b[0], 0xAA);
  EXPECT_EQ(read_back(0x900, b, 0), 2);
  EXPECT_EQ(read_back(0xF00, b, 0), 128);
  EXPECT_EQ(read_back(0x800, b, 0), 0);
  ValueCodec::write_integer(0x900, b, 0, 0);
  EXPECT_EQ(b[0], 0xA8);
  ValueCodec::write_integer(0x800, b, 0, 5);  // any non-zero sets just this bit
  EXPECT_EQ(b[0], 0xA9);

  auto language = bytes_from_hex("23");
  EXPECT_EQ(read_back(0x900F, language, 0), 3);
  auto spread = bytes_from_hex("08");
  EXPECT_EQ(read_back(0x900A, spread, 0), 2);  // bit 3 is the second selected bit
  std::vector<std::uint8_t> m(1, 0);
  ValueCodec::write_integer(0x900A, m, 0, 3);
  EXPECT_EQ(m[0], 0x0A);
  m[0] = 0xFF;
  ValueCodec::write_integer(0x900A, m, 0, 0);  // a mask write only sets bits
  EXPECT_EQ(m[0], 0xFF);
  m[0] = 0;
  ValueCodec::write_integer(0x900A, m, 0, 99);  // beyond two bits: both set, nothing else
  EXPECT_EQ(m[0], 0x0A);
}

TEST(ValueCodec, MultiplierForm) {
  std::vector<std::uint8_t> b(3, 0);
  ValueCodec::write_integer(0x1000, b, 0, 1000);
  EXPECT_EQ(hex(b), "00 34 15");  // m = 0, n = 13333
  EXPECT_EQ(read_back(0x1000, b, 0), 1000);

  ValueCodec::write_integer(0x1000, b, 0, 100000);
  EXPECT_EQ(b[0], 20);
  EXPECT_EQ(read_back(0x1000, b, 0), 100000);

  // Beyond what one multiplier byte can carry: the largest value, not a wrap.
  ValueCodec::write_integer(0x1000, b, 0, 10000000);
  EXPECT_EQ(hex(b), "FF FF FF");
  EXPECT_EQ(read_back(0x1000, b, 0), std::round(65535.0 * 256 * 0.075));

  ValueCodec::write_integer(0x1000, b, 0, -5);
  EXPECT_EQ(hex(b), "00 00 00");
}

TEST(ValueCodec, TimesTwentySix) {
  std::vector<std::uint8_t> b(2, 0);
  ValueCodec::write_number(0x2000, b, 0, 10.0);
  EXPECT_EQ(hex(b), "01 04");
  EXPECT_NEAR(read_back(0x2000, b, 0), 10.0, 1e-9);
  ValueCodec::write_number(0x2000, b, 0, 1e9);
  EXPECT_EQ(hex(b), "FF FF");
  ValueCodec::write_number(0x2000, b, 0, std::nan(""));
  EXPECT_EQ(hex(b), "00 00");
  ValueCodec::write_number(0x2000, b, 0, -std::numeric_limits<double>::infinity());
  EXPECT_EQ(hex(b), "00 00");
}

TEST(ValueCodec, TextsInWindows1252PaddedAndTrimmed) {
  std::vector<std::uint8_t> b(18, 0xEE);
  std::string blanks13;
  for (int i = 0; i < 13; ++i) blanks13 += " 20";
  ASSERT_TRUE(ValueCodec::write_text(b, 1, 16, "abc"));
  EXPECT_EQ(hex(b), std::string("EE 61 62 63") + blanks13 + " EE");
  std::string text;
  ASSERT_TRUE(ValueCodec::read_text(b, 1, 16, text));
  EXPECT_EQ(text, "abc");

  ValueCodec::write_text(b, 1, 16, "a very long text that does not fit");
  ValueCodec::read_text(b, 1, 16, text);
  EXPECT_EQ(text, "a very long text");
  EXPECT_EQ(b[17], 0xEE);

  auto zero = bytes_from_hex("41 42 00 43 44");
  ValueCodec::read_text(zero, 0, 5, text);
  EXPECT_EQ(text, "AB");

  std::vector<std::uint8_t> accents(4, 0);
  ValueCodec::write_text(accents, 0, 4, "\u00e9\u20ac\u00b5");
  EXPECT_EQ(hex(accents), "E9 80 B5 20");
  ValueCodec::read_text(accents, 0, 4, text);
  EXPECT_EQ(text, "\u00e9\u20ac\u00b5");
}

TEST(ValueCodec, DateLayouts) {
  // 0x6000: month in the low nibble, its high nibble ignored.
  for (const char* hex : {"0C 05 1F 17 3B 3A", "FC 05 1F 17 3B 3A"}) {
    std::uint64_t raw = 0;
    ASSERT_TRUE(ValueCodec::read_date_raw(0x6000, bytes_from_hex(hex), 0, raw));
    EXPECT_EQ(ValueCodec::date_from_raw(0x6000, raw), DateTime(2005, 12, 31, 23, 59, 58)) << hex;
  }
  struct Case {
    std::uint32_t type;
    const char* bytes;
  };
  // 2020-12-31 23:59:58 in each layout.
  const Case cases[] = {
      {0x5000, "0C 14 17 1F 3A 3B"},
      {0x6000, "0C 14 1F 17 3B 3A"},
      {0x7000, "14 0C 1F 17 3B 3A"},
      {0xC000, "20 12 31 23 59 58"},
      {0xD000, "00 14 00 0C 00 1F 00 17 00 3B 00 3A 00"},
  };
  const DateTime expected(2020, 12, 31, 23, 59, 58);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "type 0x" << std::hex << c.type);
    auto bytes = bytes_from_hex(c.bytes);
    std::uint64_t raw = 0;
    ASSERT_TRUE(ValueCodec::read_date_raw(c.type, bytes, 0, raw));
    EXPECT_EQ(raw & 0xFF, bytes[c.type == 0xD000 ? 1 : 0]);  // first byte least significant
    EXPECT_EQ(ValueCodec::date_from_raw(c.type, raw), expected);
    EXPECT_EQ(ValueCodec::raw_from_date(c.type, expected), raw);
    std::vector<std::uint8_t> out(bytes.size(), 0);
    ASSERT_TRUE(ValueCodec::write_date_raw(c.type, out, 0, raw));
    EXPECT_EQ(hex(out), hex(bytes));
  }
}

TEST(ValueCodec, NothingIsReadOrWrittenOutsideTheBytes) {
  std::vector<std::uint8_t> three(3, 0x11);
  double v = 0;
  std::string text;
  std::uint64_t raw = 0;
  EXPECT_FALSE(ValueCodec::read_number(0x4000, three, 0, v));
  EXPECT_FALSE(ValueCodec::read_number(0x100, three, 3, v));
  EXPECT_FALSE(ValueCodec::read_number(0x100, three, -1, v));
  EXPECT_FALSE(ValueCodec::read_text(three, 0, 12, text));
  EXPECT_FALSE(ValueCodec::read_date_raw(0x5000, three, 0, raw));
  EXPECT_FALSE(ValueCodec::write_integer(0x300, three, 1, 5));
  EXPECT_FALSE(ValueCodec::write_number(0xB000, three, 0, 5));
  EXPECT_FALSE(ValueCodec::write_text(three, 2, 2, "ab"));
  EXPECT_EQ(hex(three), "11 11 11");
  // Types that store nothing.
  EXPECT_FALSE(ValueCodec::read_number(0, three, 0, v));
  EXPECT_FALSE(ValueCodec::write_integer(0x500, three, 0, 1));
}

}  // namespace
}  // namespace orvadw
