// The firmware compatibility check: the version key prefix, the message that
// names the program version the instrument needs, and the check flag.
#include "params/firmware_check.h"

#include <gtest/gtest.h>

#include "base/program_identity.h"
#include "base/text_table.h"
#include "params/value_format.h"

namespace orvadw {
namespace {

const std::string kKey = program_version_key("orvadw");

TEST(FirmwareCheckTest, TheKeyIsTheFirmwareGenerationOfThisProgram) {
  EXPECT_EQ(kKey, "10-11-");
  for (const char* version : {"10-11-A", "10-11-", "10-11-Z 2.04 build 7"}) {
    const FirmwareCheck verdict = check_firmware(version, "Ultra", kKey, true, kEnglish);
    EXPECT_TRUE(verdict.accepted) << version;
    EXPECT_TRUE(verdict.message.empty()) << version;
  }
}

TEST(FirmwareCheckTest, ARefusalNamesTheProgramVersionAndTheInstrumentSoftware) {
  const FirmwareCheck old = check_firmware("09-11-B", "FLOW SOFT", kKey, true, kEnglish);
  EXPECT_FALSE(old.accepted);
  EXPECT_EQ(old.caption_id, 74);
  EXPECT_EQ(old.message, text_of(75, kEnglish) + " 09\nFLOW SOFT");
  EXPECT_EQ(old.message.rfind("The version of the firmware is not compatible with this software.\n"
                              "Use the software version 09\n",
                              0),
            0u);

  // The right generation for another product of the family.
  const FirmwareCheck other = check_firmware("10-12-A", "X", kKey, true, kFrench);
  EXPECT_FALSE(other.accepted);
  EXPECT_EQ(other.message, text_of(75, kFrench) + " 10\nX");

  // Only the key's length counts, and case matters.
  EXPECT_FALSE(check_firmware("10-11", "", kKey, true, kEnglish).accepted);
  EXPECT_FALSE(check_firmware("10_11-A", "", kKey, true, kEnglish).accepted);
  EXPECT_TRUE(check_firmware("10-11-", "", "10-11-", true, kEnglish).accepted);
}

TEST(FirmwareCheckTest, ShortAndForeignVersionTextsAreQuotedWhole) {
  // Nothing read yet, or a blank answer.
  const FirmwareCheck empty = check_firmware("", "", kKey, true, kGerman);
  EXPECT_FALSE(empty.accepted);
  EXPECT_EQ(empty.message, text_of(75, kGerman) + " \n");

  const FirmwareCheck one = check_firmware("9", "T", kKey, true, kEnglish);
  EXPECT_EQ(one.message, text_of(75, kEnglish) + " 9\nT");

  // Two characters are two characters, not two bytes of one.
  const FirmwareCheck accented = check_firmware("\xC3\xA9" "9-11-", "T", kKey, true, kEnglish);
  EXPECT_EQ(accented.message, text_of(75, kEnglish) + " \xC3\xA9" "9\nT");
  EXPECT_EQ(leading_characters("\xE2\x82\xAC\xC3\xA9x", 2), "\xE2\x82\xAC\xC3\xA9");
  EXPECT_EQ(leading_characters("ab", 5), "ab");
  EXPECT_EQ(leading_characters("abc", 0), "");
}

TEST(FirmwareCheckTest, WithTheCheckOffEverythingPasses) {
  for (const char* version : {"09-11-B", "", "garbage", "10-11-A"}) {
    const FirmwareCheck verdict = check_firmware(version, "T", kKey, false, kEnglish);
    EXPECT_TRUE(verdict.accepted) << version;
    EXPECT_TRUE(verdict.message.empty());
  }
}

}  // namespace
}  // namespace orvadw
