#include "files/identification_header.h"

#include <gtest/gtest.h>

#include "base/version_info.h"

namespace orvadw {
namespace {

const IdentificationTexts kIds{"12", "24", "40123", "10-11-02", "ORVADW FW"};

TEST(IdentificationHeader, BuildsEightLinesInOrder) {
  const std::string text = build_header_text("Settings", kIds);
  EXPECT_EQ(text, std::string("Settings\n") + version::kInternalName +
                      "\n4278058235\n12\n24\n40123\n10-11-02\nORVADW FW\n");
  EXPECT_EQ(std::string(version::kInternalName), "OrvadW 10");
  // An empty title still takes the first line.
  EXPECT_EQ(build_header_text("", {}), "\nOrvadW 10\n4278058235\n\n\n\n\n\n");
  // A line feed inside a value would move every later line.
  IdentificationTexts odd = kIds;
  odd.software_name = "A\nB";
  const std::string with_break = build_header_text("T\nitle", odd);
  FileHeader h;
  // read_header hands the text back without its last line feed.
  ASSERT_EQ(parse_header_text(with_break.substr(0, with_break.size() - 1), h), 8);
  EXPECT_EQ(h.window_title, "T itle");
  EXPECT_EQ(h.software_name, "A B");
  EXPECT_EQ(h.serial_number, 40123U);
}

TEST(IdentificationHeader, ParsesAllEightLines) {
  const std::string text = build_header_text("", kIds);
  FileHeader h;
  ASSERT_EQ(parse_header_text(text.substr(0, text.size() - 1), h), 8);
  EXPECT_EQ(h.line_count, 8);
  EXPECT_EQ(h.window_title, "");
  EXPECT_EQ(h.internal_name, "OrvadW 10");
  EXPECT_EQ(h.reserved, 0xFEFDFCFBU);
  EXPECT_EQ(h.serial_week, 12);
  EXPECT_EQ(h.serial_year, 24);
  EXPECT_EQ(h.serial_number, 40123U);
  EXPECT_EQ(h.software_version, "10-11-02");
  EXPECT_EQ(h.software_name, "ORVADW FW");
}

TEST(IdentificationHeader, MissingLinesKeepWhatTheRecordHeld) {
  FileHeader h;
  h.serial_week = 33;
  h.serial_year = 19;
  h.serial_number = 777;
  h.software_version = "old version";
  h.software_name = "old name";
  ASSERT_EQ(parse_header_text("Measurement\nOrvadW 10\n4278058235\n5", h), 4);
  EXPECT_EQ(h.line_count, 4);
  EXPECT_EQ(h.window_title, "Measurement");
  EXPECT_EQ(h.serial_week, 5);
  EXPECT_EQ(h.serial_year, 19);
  EXPECT_EQ(h.serial_number, 777U);
  EXPECT_EQ(h.software_version, "old version");
  EXPECT_EQ(h.software_name, "old name");

  FileHeader one;
  one.internal_name = "kept";
  EXPECT_EQ(parse_header_text("", one), 1);
  EXPECT_EQ(one.window_title, "");
  EXPECT_EQ(one.internal_name, "kept");

  // Lines after the eighth are not read.
  FileHeader many;
  EXPECT_EQ(parse_header_text("a\nb\nc\n1\n2\n3\nv\nn\nextra\nmore", many), 8);
  EXPECT_EQ(many.software_name, "n");
}

TEST(IdentificationHeader, NumbersAreReadLikeAtoiAndHeldToTheirRange) {
  FileHeader h;
  parse_header_text("t\nn\n99999999999\n70000\n-3\n5000000000\nv\nn", h);
  EXPECT_EQ(h.reserved, 0xFFFFFFFFU);
  EXPECT_EQ(h.serial_week, 65535);
  EXPECT_EQ(h.serial_year, 0);
  EXPECT_EQ(h.serial_number, 0xFFFFFFFFU);
  parse_header_text("t\nn\nx\n12abc\n  7\nnot a number\nv\nn", h);
  EXPECT_EQ(h.reserved, 0U);
  EXPECT_EQ(h.serial_week, 12);
  EXPECT_EQ(h.serial_year, 7);
  EXPECT_EQ(h.serial_number, 0U);
}

}  // namespace
}  // namespace orvadw
