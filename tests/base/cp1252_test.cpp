#include "base/cp1252.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace orvadw {
namespace {

// Independent UTF-8 encoder for the checks below.
std::string encode(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

std::string byte(int b) { return std::string(1, static_cast<char>(b)); }

TEST(Cp1252, EveryByteSurvivesTheTripThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    all += byte(b);
    const std::string utf8 = utf8_from_cp1252(byte(b));
    EXPECT_EQ(cp1252_from_utf8(utf8), byte(b)) << "byte " << b;
  }
  EXPECT_EQ(cp1252_from_utf8(utf8_from_cp1252(all)), all);
}

TEST(Cp1252, UpperControlRangeFollowsTheCodePage) {
  EXPECT_EQ(utf8_from_cp1252(byte(0x80)), "€");
  EXPECT_EQ(utf8_from_cp1252(byte(0x82)), "‚");
  EXPECT_EQ(utf8_from_cp1252(byte(0x85)), "…");
  EXPECT_EQ(utf8_from_cp1252(byte(0x8A)), "Š");
  EXPECT_EQ(utf8_from_cp1252(byte(0x8C)), "Œ");
  EXPECT_EQ(utf8_from_cp1252(byte(0x92)), "’");
  EXPECT_EQ(utf8_from_cp1252(byte(0x96)), "–");
  EXPECT_EQ(utf8_from_cp1252(byte(0x99)), "™");
  EXPECT_EQ(utf8_from_cp1252(byte(0x9C)), "œ");
  EXPECT_EQ(utf8_from_cp1252(byte(0x9F)), "Ÿ");
  // The undefined bytes keep their C1 code point.
  for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    EXPECT_EQ(utf8_from_cp1252(byte(b)), encode(static_cast<char32_t>(b))) << b;
  }
  // Latin-1 half and the low half are the identity.
  EXPECT_EQ(utf8_from_cp1252(byte(0xA0)), encode(0xA0));
  EXPECT_EQ(utf8_from_cp1252(byte(0xB5)), "µ");
  EXPECT_EQ(utf8_from_cp1252(byte(0xE9)), "é");
  EXPECT_EQ(utf8_from_cp1252(byte(0xFF)), "ÿ");
  EXPECT_EQ(utf8_from_cp1252(std::string("A\0z", 3)), std::string("A\0z", 3));
}

TEST(Cp1252, KnownTextGivesExactBytes) {
  EXPECT_EQ(cp1252_from_utf8("é€"), "\xE9\x80");
  EXPECT_EQ(cp1252_from_utf8("Öffnen µs °"), "\xD6" "ffnen \xB5s \xB0");
  EXPECT_EQ(cp1252_from_utf8("Veuillez Patienter !\r\n"), "Veuillez Patienter !\r\n");
  EXPECT_EQ(cp1252_from_utf8(""), "");
  EXPECT_EQ(utf8_from_cp1252(""), "");
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach) {
  EXPECT_EQ(cp1252_from_utf8("中"), "?");
  EXPECT_EQ(cp1252_from_utf8("a中b"), "a?b");
  EXPECT_EQ(cp1252_from_utf8("😀"), "?");  // four-byte sequence
  EXPECT_EQ(cp1252_from_utf8("Ā"), "?");
  // U+0080 is a control character, not the euro sign that byte 0x80 holds.
  EXPECT_EQ(cp1252_from_utf8(encode(0x80)), "?");
  EXPECT_EQ(cp1252_from_utf8(encode(0x9F)), "?");
}

TEST(Cp1252, EveryCodePointMapsToItsOwnByteOrToQuestionMark) {
  int representable = 0;
  for (char32_t cp = 0; cp <= 0x10FFFF; cp += (cp < 0x10000 ? 1 : 0x101)) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const std::string utf8 = encode(cp);
    const std::string out = cp1252_from_utf8(utf8);
    ASSERT_EQ(out.size(), 1u) << "U+" << std::hex << static_cast<std::uint32_t>(cp);
    if (out == "?" && cp != '?') continue;
    ++representable;
    EXPECT_EQ(utf8_from_cp1252(out), utf8) << "U+" << std::hex << static_cast<std::uint32_t>(cp);
  }
  EXPECT_EQ(representable, 256);
}

TEST(Cp1252, MalformedUtf8GivesOneQuestionMarkPerBadByte) {
  EXPECT_EQ(cp1252_from_utf8("a\xC3"), "a?");              // cut after the lead byte
  EXPECT_EQ(cp1252_from_utf8("\xE4\xB8"), "??");           // three-byte form cut short
  EXPECT_EQ(cp1252_from_utf8("\xE2\x82" "b"), "??b");      // cut, then plain text resumes
  EXPECT_EQ(cp1252_from_utf8("\xF0\x9F\x98"), "???");      // four-byte form cut short
  EXPECT_EQ(cp1252_from_utf8("\x80" "x"), "?x");           // stray continuation byte
  EXPECT_EQ(cp1252_from_utf8("\xC3" "A"), "?A");           // lead without continuation
  EXPECT_EQ(cp1252_from_utf8("\xC0\xAF"), "??");           // overlong '/'
  EXPECT_EQ(cp1252_from_utf8("\xE0\x80\xAF"), "???");      // overlong three-byte form
  EXPECT_EQ(cp1252_from_utf8("\xED\xA0\x80"), "???");      // encoded surrogate
  EXPECT_EQ(cp1252_from_utf8("\xF4\x90\x80\x80"), "????");  // above U+10FFFF
  EXPECT_EQ(cp1252_from_utf8("\xFF\xFE"), "??");
  // A good character right after a bad byte is kept.
  EXPECT_EQ(cp1252_from_utf8("\xC3\xC3\xA9"), "?\xE9");
}

TEST(Cp1252, RandomInputNeverGrowsAndValidTextIsKept) {
  std::mt19937 rng(1252);
  std::uniform_int_distribution<int> any_byte(0, 255);
  std::uniform_int_distribution<int> length(0, 64);
  for (int round = 0; round < 5000; ++round) {
    std::string junk;
    const int n = length(rng);
    for (int i = 0; i < n; ++i) junk += static_cast<char>(any_byte(rng));
    const std::string out = cp1252_from_utf8(junk);
    // Each input byte gives at most one output byte.
    EXPECT_LE(out.size(), junk.size());
    // Whatever came out is code page text, so it survives another trip.
    EXPECT_EQ(cp1252_from_utf8(utf8_from_cp1252(out)), out);
    // Code page bytes read back from the instrument are never altered.
    EXPECT_EQ(cp1252_from_utf8(utf8_from_cp1252(junk)), junk);
  }
}

}  // namespace
}  // namespace orvadw
