// The number field's text rules on focus loss and the spin field's step.
#include "params/number_text.h"

#include <gtest/gtest.h>

#include "base/result_codes.h"
#include "tests/support/hex_bytes.h"
#include "tests/support/process_locale.h"

namespace orvadw {
namespace {

NumberText field(double min, double max, const std::string& format, const std::string& text) {
  NumberText f;
  EXPECT_EQ(f.set_format(min, max, 0, 0, format), 0);
  f.set_text(text);
  return f;
}

TEST(NumberText, FixedPointIsReformattedThenLimited) {
  NumberText over = field(0, 100, "%0.1f", "150");
  EXPECT_TRUE(over.finish_edit());
  EXPECT_EQ(over.text(), "100.0");

  NumberText below = field(0, 100, "%0.1f", "-3");
  EXPECT_TRUE(below.finish_edit());
  EXPECT_EQ(below.text(), "0.0");

  NumberText letters = field(0, 100, "%0.1f", "abc");
  EXPECT_FALSE(letters.finish_edit());
  EXPECT_EQ(letters.text(), "0.0");

  NumberText inside = field(0, 100, "%0.1f", "42.26");
  EXPECT_FALSE(inside.finish_edit());
  EXPECT_EQ(inside.text(), "42.3");

  // No limits when the maximum is not above the minimum.
  NumberText equal = field(5, 5, "%0.f", "900");
  EXPECT_FALSE(equal.finish_edit());
  EXPECT_EQ(equal.text(), "900");
  NumberText inverted = field(0, -1, "%0.f", "-900");
  EXPECT_FALSE(inverted.finish_edit());
  EXPECT_EQ(inverted.text(), "-900");

  // "nan" is no number a person means: it reads as 0.
  NumberText nan = field(10, 20, "%0.f", "nan");
  EXPECT_TRUE(nan.finish_edit());
  EXPECT_EQ(nan.text(), "10");
}

TEST(NumberText, HexadecimalFormats) {
  NumberText padded = field(0, 10, "%4h", "255");
  EXPECT_FALSE(padded.finish_edit());  // never limited
  EXPECT_EQ(padded.text(), "0x00FF");
  EXPECT_EQ(padded.number(), 255);

  NumberText typed_hex = field(0, 0, "%6h", "0x1f");
  typed_hex.finish_edit();
  EXPECT_EQ(typed_hex.text(), "0x00001F");

  NumberText short_format = field(0, 0, "%h", "4096");
  short_format.finish_edit();
  EXPECT_EQ(short_format.text(), "0x1000");
  EXPECT_EQ(NumberText::hex_digit_count("%h"), 4);
  EXPECT_EQ(NumberText::hex_digit_count("%2h"), 2);

  NumberText set = field(0, 0, "%4h", "");
  set.set_number(171);
  EXPECT_EQ(set.text(), "0xAB");
  EXPECT_EQ(set.number(), 171);
}

TEST(NumberText, FreeTextIsCutToTheMaximumLength) {
  NumberText text = field(0, 5, "%s", "abcdefgh");
  EXPECT_FALSE(text.finish_edit());
  EXPECT_EQ(text.text(), "abcde");

  // Characters, not bytes: a cut never splits a letter.
  NumberText accents = field(0, 3, "%s", "\u00e9t\u00e9s\u00e9");
  accents.finish_edit();
  EXPECT_EQ(accents.text(), "\u00e9t\u00e9");

  NumberText unlimited = field(0, 0, "%s", "abcdefgh");
  unlimited.finish_edit();
  EXPECT_EQ(unlimited.text(), "abcdefgh");
}

TEST(NumberText, FormatRefusalGuardAndRedirect) {
  NumberText f;
  ASSERT_EQ(f.set_format(0, 10, 0, 0, "%0.f"), 0);
  EXPECT_EQ(f.set_format(0, 99, 0, 0, "f"), -1);
  EXPECT_EQ(f.set_format(0, 99, 0, 0, ""), -1);
  EXPECT_EQ(f.format(), "%0.f");
  EXPECT_EQ(f.maximum(), 10);

  f.set_text("12.7");
  f.guard = true;  // no reformatting, but still limited
  EXPECT_TRUE(f.finish_edit());
  EXPECT_EQ(f.text(), "10");

  f.guard = false;
  f.read_only_redirect = true;
  f.set_text("12.7");
  EXPECT_FALSE(f.finish_edit());
  EXPECT_EQ(f.text(), "13");
}

TEST(NumberText, NumbersIgnoreTheUserLocale) {
  test::ProcessLocale french("fr_FR.UTF-8");
  if (!french.ok()) GTEST_SKIP() << "fr_FR.UTF-8 is not installed";
  NumberText f = field(0, 100, "%0.2f", "2.5");
  EXPECT_EQ(f.number(), 2.5);
  f.finish_edit();
  EXPECT_EQ(f.text(), "2.50");
  f.set_number(0.25);
  EXPECT_EQ(f.text(), "0.250000");
}

TEST(SpinNumber, StepFromTheFormatAndLimitedArrows) {
  EXPECT_EQ(SpinNumber::step_for_format("%0.f"), 1);
  EXPECT_EQ(SpinNumber::step_for_format("%d"), 1);
  EXPECT_DOUBLE_EQ(SpinNumber::step_for_format("%0.1f"), 0.1);
  EXPECT_DOUBLE_EQ(SpinNumber::step_for_format("%0.3f"), 0.001);
  EXPECT_EQ(SpinNumber::step_for_format("%0.5f"), 1);  // only 1 to 3 count
  EXPECT_DOUBLE_EQ(SpinNumber::step_for_format("%0.25f"), 0.01);
  EXPECT_DOUBLE_EQ(SpinNumber::step_for_format("%0.12f"), 1e-12);

  SpinNumber spin;
  EXPECT_EQ(spin.set_format(5, 1, 0, 0, "%0.1f"), result::kSpinRangeRefused);
  EXPECT_EQ(spin.set_format(0, 1, 0, 0, "x"), -1);
  ASSERT_EQ(spin.set_format(0, 1, 0, 0, "%0.1f"), 0);
  spin.field().set_text("0.5");
  EXPECT_FALSE(spin.apply_delta(-1));
  EXPECT_EQ(spin.field().text(), "0.4");
  EXPECT_TRUE(spin.apply_delta(10));
  EXPECT_EQ(spin.field().text(), "1.0");
  EXPECT_TRUE(spin.apply_delta(-30));
  EXPECT_EQ(spin.field().text(), "0.0");
}

}  // namespace
}  // namespace orvadw
