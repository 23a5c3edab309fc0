#include "base/ascii_case.h"

#include <gtest/gtest.h>

namespace orvadw {
namespace {

TEST(AsciiCase, OnlyAsciiLettersFold) {
  EXPECT_TRUE(iequals("Path Macro MES", "path macro mes"));
  EXPECT_FALSE(iequals("COM1", "COM12"));
  EXPECT_FALSE(iequals("a[", "A{"));  // '[' and '{' are 0x20 apart but no letters
  EXPECT_FALSE(iequals("@", "`"));
  // Windows-1252 "É" and "é" differ by 0x20 too, but bytes above 0x7F are
  // never folded.
  EXPECT_FALSE(iequals("\xC9", "\xE9"));
}

TEST(AsciiCase, PrefixSuffixAndPart) {
  EXPECT_TRUE(istarts_with("com3", "COM"));
  EXPECT_FALSE(istarts_with("CO", "COM"));
  EXPECT_TRUE(istarts_with("x", ""));

  EXPECT_TRUE(iends_with("12:00:00 pm", "PM"));
  EXPECT_FALSE(iends_with("12:00:00 PM", "AM"));
  EXPECT_FALSE(iends_with("M", "PM"));
  // An empty designator must not match every time.
  EXPECT_FALSE(iends_with("12:00:00", ""));

  EXPECT_TRUE(icontains("/opt/bin/orvadw-vantorel", "VANTOREL"));
  EXPECT_TRUE(icontains("abc", "ABC"));
  EXPECT_FALSE(icontains("vantore", "Vantorel"));
  EXPECT_TRUE(icontains("", ""));
  EXPECT_TRUE(icontains("name", ""));
}

}  // namespace
}  // namespace orvadw
