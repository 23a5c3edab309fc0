// The text form of every window's blocks in every language: each item of
// every choice list reads back as itself, also where a list holds two items
// that read alike (two models in English); and the comparison of two field
// lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_table.h"
#include "params/field_comparison.h"
#include "params/field_text_form.h"
#include "params/window_rules.h"
#include "params/window_table.h"
#include "tests/support/hex_bytes.h"

namespace orvadw {
namespace {

using test::hex;

TEST(FieldTextForm, EveryChoiceItemRoundTripsInEveryLanguage) {
  int checked = 0;
  for (const std::string& key : window_keys()) {
    for (int language = 1; language <= TextTable::language_count(); ++language) {
      WindowTable table;
      ASSERT_TRUE(find_window(key, language, table));
      ParameterFieldList list = make_field_list(table, language);
      for (int block : list.blocks()) {
        for (int position : list.block_fields(block)) {
          ParameterField& field = list.at(static_cast<std::size_t>(position));
          if (!field.is_choice()) continue;
          for (const ChoiceItem& item : field.items().items()) {
            SCOPED_TRACE(key + " language " + std::to_string(language) + " control " +
                         std::to_string(field.descriptor().control_id) + " item " + item.text);
            ASSERT_GE(field.set_integer(item.value + static_cast<int>(field.descriptor().minimum)),
                      0);
            const std::vector<std::uint8_t> before = list.encode(block);
            ParameterFieldList fresh = make_field_list(table, language);
            FieldTextForm::Error error;
            ASSERT_EQ(FieldTextForm::apply(fresh, block, FieldTextForm::lines(list, block), error),
                      0)
                << error.reason;
            EXPECT_EQ(hex(fresh.encode(block)), hex(before));
            ++checked;
          }
        }
      }
    }
  }
  EXPECT_GT(checked, 400);
}

TEST(FieldTextForm, RepeatedItemsAreNumberedInListOrder) {
  ParameterFieldList list = make_field_list(special_settings_window(kEnglish), kEnglish);
  ParameterField& model = *list.field(1237);  // list 31: items 6/8 and 7/9 read alike
  model.set_integer(6);
  EXPECT_EQ(FieldTextForm::value_text(model), "Kalometra DS");
  model.set_integer(8);
  EXPECT_EQ(FieldTextForm::value_text(model), "Kalometra DS #2");
  model.set_integer(9);
  EXPECT_EQ(FieldTextForm::value_text(model), "Kalometra OR #2");
  EXPECT_EQ(model.value_text(), "Kalometra OR");  // what the window shows

  EXPECT_EQ(FieldTextForm::set_from_text(model, "Kalometra DS #2"), 0);
  EXPECT_EQ(model.integer(), 8);
  EXPECT_EQ(FieldTextForm::set_from_text(model, "Kalometra OR"), 0);
  EXPECT_EQ(model.integer(), 7);
  for (const char* bad :
       {"Kalometra OR #3", "Kalometra OR #1", "Kalometra OR #", "Kalometra R6 #2", "Kalometra"}) {
    EXPECT_EQ(FieldTextForm::set_from_text(model, bad), -1) << bad;
  }
  EXPECT_EQ(model.integer(), 7);
  // In French the two read differently and need no number.
  ParameterFieldList french = make_field_list(special_settings_window(kFrench), kFrench);
  french.field(1237)->set_integer(9);
  EXPECT_EQ(FieldTextForm::value_text(*french.field(1237)), "Kalometra OR");
}

TEST(FieldComparison, DifferencesInTableOrderWithHiddenFieldsLeftOut) {
  const WindowTable table = settings_window(kEnglish);
  ParameterFieldList reference = make_field_list(table, kEnglish);
  ParameterFieldList actual = make_field_list(table, kEnglish);
  EXPECT_TRUE(compare_field_lists(reference, actual).comparable);
  EXPECT_TRUE(compare_field_lists(reference, actual).differences.empty());

  actual.field(1117)->set_number(12);                     // JBus number
  actual.field(1035)->set_number(6000);                   // TX period, further down the table
  reference.field(1216)->set_number(1500);                // relay 1 threshold, hidden by its type
  actual.field(1194)->set_text("01/01/2020 - 00:00:00");  // the hidden clock value
  apply_window_rules(window_rules("settings"), reference);
  apply_window_rules(window_rules("settings"), actual);
  const FieldComparison c = compare_field_lists(reference, actual);
  ASSERT_EQ(c.differences.size(), 2u);
  EXPECT_EQ(c.differences[0].label, "N. JBus");
  EXPECT_EQ(c.differences[0].reference_value, "1");
  EXPECT_EQ(c.differences[0].actual_value, "12");
  EXPECT_EQ(c.differences[1].label, "Period TX");
  EXPECT_EQ(c.differences[1].reference_value, "5000");
  EXPECT_EQ(c.differences[1].actual_value, "6000");
  EXPECT_EQ(c.differences[1].unit, text_of(237, kEnglish));
  EXPECT_LT(c.differences[0].position, c.differences[1].position);

  // Shown on one side only: still left out (the type itself differs).
  actual.field(1216)->show_on_page(true);
  EXPECT_EQ(compare_field_lists(reference, actual).differences.size(), 2u);
  // Lists of different kinds are not compared at all.
  ParameterFieldList analog = make_field_list(analog_output_window(kEnglish), kEnglish);
  EXPECT_FALSE(compare_field_lists(reference, analog).comparable);
}

}  // namespace
}  // namespace orvadw
