// The field list: pages, lookup, block lengths, decoding short or odd data,
// encoding, change tracking and normalising.
#include "params/parameter_field_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/text_table.h"
#include "params/window_table.h"
#include "tests/support/hex_bytes.h"
#include "tests/support/process_locale.h"

namespace orvadw {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::bytes_from_hex;
using test::hex;

ParameterDescriptor edit_row(int control, int offset, std::uint32_t type, const std::string& format,
                             const std::string& initial, int page = -1) {
  ParameterDescriptor d;
  d.control_id = control;
  d.label_text_id = 10;
  d.kind = 0x2;
  d.initial_text = initial;
  d.minimum = 0;
  d.maximum = 1000;
  d.format = format;
  d.value_type = type;
  d.byte_offset = offset;
  d.block_address = 0x1000;
  d.page = page;
  return d;
}

TEST(ParameterFieldList, PagesAndLookup) {
  ParameterFieldList list(kEnglish, 2);
  EXPECT_EQ(list.add(edit_row(1, 0, 0x100, "%0.f", "1", 1)), 0);
  EXPECT_EQ(list.add(edit_row(2, 1, 0x100, "%0.f", "2", 2)), -1);
  EXPECT_EQ(list.add(edit_row(2, 1, 0x100, "%0.f", "2", -2)), -1);
  ParameterDescriptor hidden = edit_row(3, 2, 0x100, "%0.f", "3", 7);
  hidden.presentation = 4;
  EXPECT_EQ(list.add(hidden), 1);  // a hidden value needs no page
  EXPECT_EQ(list.add(edit_row(1, 3, 0x100, "%0.f", "4"), -1), 2);
  ASSERT_EQ(list.size(), 3u);
  ASSERT_NE(list.field(1), nullptr);
  EXPECT_EQ(list.field(1)->value_text(), "1");  // the first with that id
  EXPECT_EQ(list.field(2), nullptr);
  EXPECT_EQ(list.position_of(*list.field(3)), 1);

  ParameterFieldList settings = make_field_list(settings_window(kEnglish), kEnglish);
  ASSERT_NE(settings.field(1107), nullptr);
  EXPECT_EQ(settings.field(1107)->label_text(), text_of(98, kEnglish));  // row 28, not row 62
  std::vector<int> controls;
  for (const ParameterField& f : settings) controls.push_back(f.descriptor().control_id);
  EXPECT_EQ(controls.size(), 62u);
  EXPECT_EQ(controls[1], 1117);
  EXPECT_EQ(controls.back(), 1107);
}

TEST(ParameterFieldList, APageAddedLaterTakesFieldsAndLeavesEarlierOnesAsTheyWere) {
  ParameterFieldList list(kEnglish, 0);
  ASSERT_EQ(list.add(edit_row(1, 0, 0x100, "%0.f", "1")), 0);
  list.at(0).set_number(42);
  list.at(0).enable(false);
  EXPECT_EQ(list.add(edit_row(2, 1, 0x100, "%0.f", "2", 0)), -1);

  EXPECT_EQ(list.add_page(), 0);
  EXPECT_EQ(list.page_count(), 1);
  EXPECT_EQ(list.add(edit_row(2, 1, 0x100, "%0.f", "2", 0)), 1);
  EXPECT_EQ(list.add(edit_row(3, 2, 0x100, "%0.f", "3", 1)), -1);
  EXPECT_EQ(list.add_page(), 1);
  EXPECT_EQ(list.add(edit_row(3, 2, 0x100, "%0.f", "3", 1)), 2);

  EXPECT_EQ(list.at(0).value_text(), "42");
  EXPECT_FALSE(list.at(0).is_enabled());
  EXPECT_EQ(list.at(0).reference_text(), "1");
}

TEST(ParameterFieldList, BlockLengthsFollowTheTables) {
  struct Case {
    WindowTable (*window)(int);
    int block;
    int length;
  };
  const Case cases[] = {
      {settings_window, block::kParameters, 100},   {settings_window, block::kMeasure, 44},
      {settings_window, block::kClock, 6},          {settings_window, block::kResetWord, 4},
      {special_settings_window, block::kSpecial, 17}, {analog_output_window, block::kOutputPoints, 14},
      {measurement_window, block::kMeasure, 47},    {measurement_window, block::kParameters, 43},
      {measurement_window, block::kChartPoints, 800}, {logger_window, block::kLoggerEntry, 10},
      {logger_window, block::kIdentification, 22},  {esc_window, block::kEsc, 123},
      {esc_window, block::kEscEntry, 6},            {settings_window, 0x7777, 0},
  };
  for (const auto& c : cases) {
    ParameterFieldList list = make_field_list(c.window(kEnglish), kEnglish);
    EXPECT_EQ(list.block_length(c.block), c.length) << std::hex << c.block;
    EXPECT_EQ(list.block_words(c.block), (c.length + 1) / 2);
    EXPECT_EQ(list.encode(c.block).size(), static_cast<std::size_t>(c.length));
  }
  ParameterFieldList ident(kEnglish);
  for (const auto& d : identification_table()) ident.add(d);
  EXPECT_EQ(ident.block_length(block::kIdentification), 50);

  // The register image pads an odd length to whole registers.
  ParameterFieldList special = make_field_list(special_settings_window(kEnglish), kEnglish);
  auto image = special.register_image(block::kSpecial);
  EXPECT_EQ(image.size(), 18u);
  EXPECT_EQ(image.back(), 0);
  ParameterFieldList measure = make_field_list(measurement_window(kEnglish), kEnglish);
  auto bounds = measure.register_image(block::kParameters);
  ASSERT_EQ(bounds.size(), 44u);
  EXPECT_EQ(std::count(bounds.begin(), bounds.begin() + 39, 0), 39);
}

TEST(ParameterFieldList, ShortDataLeavesTheFieldsBeyondItAlone) {
  ParameterFieldList list(kEnglish);
  list.add(edit_row(1, 0, 0x3000, "%0.f", "5"));
  list.add(edit_row(2, 2, 0x300, "%0.1f", "6"));
  ParameterDescriptor text = edit_row(3, 5, 0x500, "%s", "keep");
  text.maximum = 8;
  list.add(text);

  EXPECT_EQ(list.decode(0x1000, bytes_from_hex("00 07 00 00")), -1);
  EXPECT_EQ(list.at(0).value_text(), "7");
  EXPECT_EQ(list.at(1).value_text(), "6.0");
  EXPECT_EQ(list.at(2).value_text(), "keep");

  EXPECT_EQ(list.decode(0x1000, {}), -1);
  EXPECT_EQ(list.at(0).value_text(), "7");

  EXPECT_EQ(list.decode(0x1000, bytes_from_hex("00 08 00 00 10 41 42 20 20 00 FF FF FF FF")), 0);
  EXPECT_EQ(list.at(0).value_text(), "8");
  EXPECT_EQ(list.at(1).value_text(), "1.6");
  EXPECT_EQ(list.at(2).value_text(), "AB");

  // Another block's bytes touch nothing here.
  EXPECT_EQ(list.decode(0x2000, bytes_from_hex("FF FF FF FF")), 0);
  EXPECT_EQ(list.at(0).value_text(), "8");
}

class OriginLog : public FieldObserver {
 public:
  void field_value_changed(ParameterField&, ChangeOrigin origin) override { origins.push_back(origin); }
  std::vector<ChangeOrigin> origins;
};

TEST(ParameterFieldList, ChangesAreTrackedAgainstTheLastCommit) {
  ParameterFieldList list = make_field_list(settings_window(kEnglish), kEnglish);
  EXPECT_THAT(list.changed_fields(), IsEmpty());

  OriginLog log;
  list.add_observer(&log);
  auto image = list.encode(block::kParameters);
  image[1] = 9;  // JBus number
  image[5] = 3;  // material
  list.decode(block::kParameters, image);
  ASSERT_FALSE(log.origins.empty());
  for (ChangeOrigin o : log.origins) EXPECT_EQ(o, ChangeOrigin::kDecode);
  list.commit();
  EXPECT_THAT(list.changed_fields(), IsEmpty());

  ParameterField& jbus = *list.field(1117);
  jbus.edit_text("12");
  jbus.finish_edit();
  const int jbus_position = list.position_of(jbus);
  EXPECT_THAT(list.changed_fields(), ElementsAre(jbus_position));
  EXPECT_EQ(log.origins.back(), ChangeOrigin::kUser);
  jbus.edit_text("9");
  jbus.finish_edit();
  EXPECT_THAT(list.changed_fields(), IsEmpty());

  // Typed as "9.0" the text differs until the field reformats it.
  jbus.edit_text("9.0");
  EXPECT_FALSE(list.changed_fields().empty());
  jbus.finish_edit();
  EXPECT_THAT(list.changed_fields(), IsEmpty());

  // Charts and grids never take part in change tracking.
  ParameterFieldList measure = make_field_list(measurement_window(kEnglish), kEnglish);
  measure.field(1290)->set_number(1500);
  measure.commit();
  EXPECT_THAT(measure.changed_fields(), IsEmpty());
}

TEST(ParameterFieldList, NormaliseReappliesLimitsAndFormats) {
  ParameterFieldList list = make_field_list(settings_window(kEnglish), kEnglish);
  EXPECT_EQ(list.field(1032)->value_text(), "850.0");  // shown through its format at creation
  list.field(1035)->edit_text("40000");
  list.field(1080)->edit_text("27.94");
  list.normalise();
  EXPECT_EQ(list.field(1035)->value_text(), "32000");
  EXPECT_EQ(list.field(1080)->value_text(), "27.9");
  EXPECT_EQ(list.field(1148)->value_text(), "");  // texts are left alone
}

TEST(ParameterFieldList, LanguageChangeRelabelsEveryField) {
  ParameterFieldList list = make_field_list(settings_window(kEnglish), kEnglish);
  EXPECT_EQ(list.set_language(9), -1);
  EXPECT_EQ(list.language(), kEnglish);
  ASSERT_EQ(list.set_language(kGerman), 0);
  for (const ParameterField& f : list) EXPECT_EQ(f.language(), kGerman);
  EXPECT_EQ(list.field(1199)->value_text(), text_of(29, 1, kGerman));
  EXPECT_EQ(list.field(1199)->integer(), 1);
}

}  // namespace
}  // namespace orvadw
