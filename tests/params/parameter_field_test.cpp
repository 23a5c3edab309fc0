// One field on its own: format forcing, controls, limits, significant
// digits, choice offsets and sorting, languages, state and observers.
#include "params/parameter_field.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/date_time.h"
#include "base/text_table.h"
#include "params/parameter_field_list.h"
#include "tests/support/hex_bytes.h"
#include "tests/support/process_locale.h"

namespace orvadw {
namespace {

using ::testing::ElementsAre;
using test::hex;

ParameterDescriptor number_row(double min, double max, const std::string& format, std::uint32_t type = 0x3000,
                               std::uint32_t kind = 0x2) {
  ParameterDescriptor d;
  d.control_id = 1000;
  d.label_text_id = 10;
  d.kind = kind;
  d.initial_text = "0";
  d.minimum = min;
  d.maximum = max;
  d.format = format;
  d.value_type = type;
  d.byte_offset = 0;
  d.block_address = 0x1000;
  return d;
}

ParameterDescriptor choice_row(int list, const std::string& initial, double min = 0, double max = 0,
                               std::uint32_t kind = 0x1) {
  ParameterDescriptor d;
  d.control_id = 1100;
  d.label_text_id = 93;
  d.kind = kind;
  d.choice_list_id = list;
  d.initial_text = initial;
  d.minimum = min;
  d.maximum = max;
  d.value_type = 0x100;
  d.byte_offset = 0;
  d.block_address = 0x1000;
  return d;
}

std::string encoded(const ParameterDescriptor& d, const std::string& typed) {
  ParameterFieldList list(kEnglish);
  list.add(d);
  ParameterField& f = list.at(0);
  f.edit_text(typed);
  f.finish_edit();
  return hex(list.encode(d.block_address));
}

TEST(ParameterField, FormatForcingAndControls) {
  ParameterDescriptor choice = choice_row(27, "0");
  choice.format = "%0.f";
  ParameterField c(choice, kEnglish);
  EXPECT_EQ(c.format(), "%c");
  EXPECT_EQ(c.value_control(), ValueControl::kChoice);
  EXPECT_EQ(c.label_control_id(), 1100);
  EXPECT_EQ(c.value_control_id(), 1101);

  ParameterDescriptor date = number_row(0, 0, "%0.f", 0x5000, 0x8);
  date.label_text_id = 0;
  date.unit_text_id = 54;
  ParameterField dt(date, kEnglish);
  EXPECT_EQ(dt.format(), "%s");
  EXPECT_EQ(dt.value_control_id(), 1000);  // no label: the id names the value control
  EXPECT_EQ(dt.unit_control_id(), 1001);
  EXPECT_FALSE(dt.has_label());

  ParameterDescriptor with_unit = number_row(0, 10, "%0.1f");
  with_unit.unit_text_id = 54;
  ParameterField u(with_unit, kEnglish);
  EXPECT_EQ(u.value_control_id(), 1001);
  EXPECT_EQ(u.unit_control_id(), 1002);
  EXPECT_EQ(u.unit_text(), "dB");
  EXPECT_EQ(u.label_text(), "C 4mA");

  ParameterDescriptor nothing;
  nothing.format = "%0.f";
  EXPECT_EQ(ParameterField(nothing, kEnglish).format(), "%rien%");

  ParameterDescriptor heading;
  heading.kind = 0x100;
  heading.label_text_id = 99;
  heading.format = "%0.f";
  ParameterField h(heading, kEnglish);
  EXPECT_EQ(h.format(), "%s");
  EXPECT_EQ(h.value_control(), ValueControl::kNone);
  EXPECT_FALSE(h.has_label());
  EXPECT_EQ(h.label_text(), "General");  // print-only lines take it from the table

  ParameterDescriptor frame = heading;
  frame.control_id = 1286;
  frame.kind = 0x140;
  ParameterField fr(frame, kEnglish);
  EXPECT_TRUE(fr.has_frame());
  EXPECT_EQ(fr.label_control_id(), 1286);
  EXPECT_EQ(fr.value_control_id(), 0);
  EXPECT_EQ(fr.label_text(), "General");

  ParameterDescriptor constant;
  constant.kind = 0x2000;
  constant.initial_text = "42";
  constant.unit_text_id = 142;
  constant.format = "%0.1f";
  ParameterField k(constant, kEnglish);
  EXPECT_EQ(k.format(), "%s");
  EXPECT_EQ(k.value_text(), "42");
  EXPECT_EQ(k.unit_text(), "m/s");

  ParameterDescriptor grid;
  grid.control_id = 1292;
  grid.kind = 0x1000;
  ParameterField g(grid, kEnglish);
  EXPECT_EQ(g.value_control(), ValueControl::kGrid);
  EXPECT_EQ(g.value_control_id(), 1292);

  ParameterDescriptor hidden = number_row(0, 0, "%0.f");
  hidden.presentation = 6;
  hidden.unit_text_id = 54;
  ParameterField hv(hidden, kEnglish);
  EXPECT_EQ(hv.value_control(), ValueControl::kNone);
  EXPECT_EQ(hv.label_text(), "");
  EXPECT_EQ(hv.unit_text(), "");
}

TEST(ParameterField, ScaledTextBecomesTheRawInteger) {
  EXPECT_EQ(encoded(number_row(0, 300.1, "%0.f"), "10"), "00 0A");
  EXPECT_EQ(encoded(number_row(10, 1500, "%0.1f", 0x300), "27.9"), "00 01 17");
  EXPECT_EQ(encoded(number_row(0, 60, "%0.3f"), "0.5"), "01 F4");
  // Typed beyond the type's range with no limits: saturated, not wrapped.
  EXPECT_EQ(encoded(number_row(0, -1, "%0.f", 0x100), "300"), "FF");
  EXPECT_EQ(encoded(number_row(0, -1, "%0.f", 0x100), "-4"), "00");
  EXPECT_EQ(encoded(number_row(0, -1, "%0.f", 0x200), "40000"), "7F FF");
}

TEST(ParameterField, LimitsOnSet) {
  ParameterField limited(number_row(1000, 32000, "%0.f"), kEnglish);
  limited.set_number(500);
  EXPECT_EQ(limited.value_text(), "1000");
  limited.set_number(40000);
  EXPECT_EQ(limited.value_text(), "32000");

  ParameterField never(number_row(0, -1, "%0.f"), kEnglish);
  never.set_number(-123456);
  EXPECT_EQ(never.value_text(), "-123456");

  ParameterDescriptor free_row = number_row(0, 10, "%0.1f");
  free_row.kind |= 0x4000;
  ParameterField unlimited(free_row, kEnglish);
  unlimited.set_number(99);
  EXPECT_EQ(unlimited.value_text(), "99.0");
  unlimited.edit_text("123");
  EXPECT_FALSE(unlimited.finish_edit());
  EXPECT_EQ(unlimited.value_text(), "123.0");

  // Hidden values hold what they are given.
  ParameterDescriptor hidden = number_row(200, 4000, "%0.1f");
  hidden.presentation = 6;
  hidden.kind = 0x8;
  ParameterField h(hidden, kEnglish);
  EXPECT_EQ(h.value_text(), "0.0");
  h.set_number(5);
  EXPECT_EQ(h.value_text(), "5.0");

  // Typing then leaving the field limits as the number field does.
  ParameterField typed(number_row(0, 100, "%0.1f"), kEnglish);
  typed.edit_text("150");
  EXPECT_TRUE(typed.finish_edit());
  EXPECT_EQ(typed.value_text(), "100.0");
}

TEST(ParameterField, SignificantDigitsAndHexadecimal) {
  ParameterDescriptor d = number_row(0, -1, "auto4", 0x3000, 0x8);
  ParameterField f(d, kEnglish);
  const std::pair<double, const char*> cases[] = {
      {12.3456, "12.35"}, {123456, "123500"}, {-12.3456, "-12.35"}, {0.5, "0.500"},
      {9999.5, "10000"},  {1234.5, "1235"},   {0.0012345, "0.001"},
  };
  for (const auto& [value, text] : cases) {
    f.set_number(value);
    EXPECT_EQ(f.value_text(), text) << value;
  }

  ParameterField shown_hex(number_row(0, -1, "%4h", 0x3000, 0x8), kEnglish);
  shown_hex.set_number(255.7);
  EXPECT_EQ(shown_hex.value_text(), "0xFF");
  EXPECT_EQ(shown_hex.number(), 255);

  ParameterField edit_hex(number_row(0, -1, "%4h"), kEnglish);
  edit_hex.set_number(255);
  EXPECT_EQ(edit_hex.value_text(), "0xFF");
  edit_hex.finish_edit();
  EXPECT_EQ(edit_hex.value_text(), "0x00FF");
  ParameterFieldList list(kEnglish);
  list.add(number_row(0, -1, "%4h"));
  list.at(0).set_number(0x1234);
  EXPECT_EQ(hex(list.encode(0x1000)), "12 34");
}

TEST(ParameterField, NonFiniteNumbersNeverReachTheIntegerConversions) {
  ParameterFieldList list(kEnglish);
  list.add(number_row(0, -1, "%0.f", 0x100));
  ParameterField& f = list.at(0);
  f.set_number(std::nan(""));
  EXPECT_EQ(hex(list.encode(0x1000)), "00");
  f.set_number(std::numeric_limits<double>::infinity());
  EXPECT_EQ(hex(list.encode(0x1000)), "FF");
  f.set_number(-std::numeric_limits<double>::infinity());
  EXPECT_EQ(hex(list.encode(0x1000)), "00");

  ParameterFieldList floats(kEnglish);
  floats.add(number_row(0, -1, "%0.1f", 0x2000, 0x8));
  floats.at(0).set_number(std::nan(""));
  EXPECT_EQ(hex(floats.encode(0x1000)), "00 00");
}

TEST(ParameterField, ChoiceOffsetsCountsAndTheLastItem) {
  // List 36 has six relay types; offset 2, count 3 keeps positions 2 to 4.
  ParameterField window(choice_row(36, "2", 2, 3), kEnglish);
  EXPECT_EQ(window.items().item_count(), 3);
  EXPECT_EQ(window.value_text(), "Threshold+ C");
  EXPECT_EQ(window.set_integer(3), 0);
  EXPECT_EQ(window.value_text(), "Sphere");
  EXPECT_EQ(window.integer(), 3);
  EXPECT_EQ(window.set_integer(5), -1);  // 5 - 2 is not below the count
  EXPECT_EQ(window.value_text(), "");
  EXPECT_EQ(window.integer(), -1);

  ParameterField tail(choice_row(36, "0", 2, 0), kEnglish);
  EXPECT_EQ(tail.items().item_count(), 4);
  tail.set_integer(100);
  EXPECT_EQ(tail.value_text(), "Threshold- C");
  EXPECT_EQ(tail.integer(), 5);

  // A stored index beyond the items shows the last item.
  ParameterField yes_no(choice_row(27, "7"), kEnglish);
  EXPECT_EQ(yes_no.value_text(), "No");
  EXPECT_EQ(yes_no.integer(), 1);
}

TEST(ParameterField, SortedListStoresTheValueNotThePosition) {
  ParameterFieldList list(kEnglish);
  list.add(choice_row(23, "7", 0, 0, 0x21));
  ParameterField& material = list.at(0);
  EXPECT_EQ(material.value_text(), "Copper");
  auto shown = material.items().display_texts();
  ASSERT_EQ(shown.size(), 14u);
  EXPECT_EQ(shown.front(), "Aluminium");
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end(), [](const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
  }));
  EXPECT_EQ(hex(list.encode(0x1000)), "07");

  ASSERT_EQ(material.choose_display_index(0), 0);
  EXPECT_EQ(material.integer(), 12);
  EXPECT_EQ(hex(list.encode(0x1000)), "0C");

  // Another language sorts differently; the stored material stays the same.
  ASSERT_EQ(material.set_language(kFrench), 0);
  EXPECT_EQ(material.integer(), 12);
  EXPECT_EQ(material.value_text(), text_of(23, 12, kFrench));
  EXPECT_EQ(material.set_language(0), -1);
  EXPECT_EQ(material.set_language(5), -1);
  EXPECT_EQ(material.language(), kFrench);

  ParameterField down(choice_row(28, "0", 0, 0, 0x11), kEnglish);
  EXPECT_THAT(down.items().display_texts(), ElementsAre("Reverse", "Normal"));
}

TEST(ParameterField, ListDisplayShowsALineOfItsList) {
  ParameterDescriptor fault;
  fault.control_id = 1075;
  fault.kind = 0x8;
  fault.choice_list_id = 18;
  fault.format = "%l";
  fault.value_type = 0x800;
  fault.byte_offset = 5;
  fault.block_address = 0x100;
  ParameterField f(fault, kEnglish);
  EXPECT_TRUE(f.is_list_display());
  EXPECT_EQ(f.value_text(), "");  // no initial text: blank
  EXPECT_EQ(f.set_integer(1), 0);
  EXPECT_EQ(f.value_text(), "Fault");
  EXPECT_EQ(f.set_integer(9), 0);
  EXPECT_EQ(f.value_text(), "Fault");
  EXPECT_EQ(f.integer(), 1);
  f.set_integer(0);
  f.set_language(kFrench);
  EXPECT_EQ(f.value_text(), text_of(18, 0, kFrench));
  f.set_text("");
  EXPECT_EQ(f.integer(), -1);
}

TEST(ParameterField, DatesKeepTheirRawBytes) {
  ParameterDescriptor d = number_row(0, 0, "", 0x6000, 0x8);
  d.initial_text = "";
  ParameterField f(d, kEnglish);
  EXPECT_EQ(f.raw_date(), 0u);
  EXPECT_EQ(f.value_text(), "");
  DateTime when(2005, 12, 31, 23, 59, 58);
  std::string text = when.format_date() + " - " + when.format_time();
  ASSERT_EQ(f.set_text(text), 0);
  EXPECT_EQ(f.value_text(), text);
  EXPECT_EQ(f.raw_date(), 0x3A3B171F050CULL);
}

class RecordingObserver : public FieldObserver {
 public:
  void field_value_changed(ParameterField&, ChangeOrigin origin) override { origins.push_back(origin); }
  void field_state_changed(ParameterField&) override { ++states; }
  void field_items_changed(ParameterField&) override { ++item_loads; }
  std::vector<ChangeOrigin> origins;
  int states = 0;
  int item_loads = 0;
};

TEST(ParameterField, ObserversLearnWhoChangedWhat) {
  ParameterField f(number_row(0, 100, "%0.1f"), kEnglish);
  RecordingObserver o;
  f.add_observer(&o);
  f.add_observer(&o);  // once only
  f.set_number(5);
  f.edit_text("7");
  f.finish_edit();
  f.set_number(3, ChangeOrigin::kDecode);
  EXPECT_THAT(o.origins, ElementsAre(ChangeOrigin::kProgram, ChangeOrigin::kUser, ChangeOrigin::kUser,
                                     ChangeOrigin::kDecode));
  f.enable(false);
  f.show(false);
  f.set_label_text_id(95);
  EXPECT_EQ(o.states, 3);
  f.remove_observer(&o);
  f.set_number(1);
  EXPECT_EQ(o.origins.size(), 4u);

  ParameterField c(choice_row(27, "0"), kEnglish);
  c.add_observer(&o);
  c.set_language(kGerman);
  EXPECT_EQ(o.item_loads, 1);
}

TEST(ParameterField, ShowEnableAndPrintState) {
  ParameterField f(number_row(0, 100, "%0.1f"), kEnglish);
  EXPECT_TRUE(f.is_shown());
  EXPECT_TRUE(f.is_printed());
  f.enable(false);
  EXPECT_EQ(f.presentation() & 8, 8u);
  EXPECT_FALSE(f.is_value_enabled());
  f.enable(true);
  EXPECT_TRUE(f.is_value_enabled());
  f.show(false);
  EXPECT_EQ(f.presentation(), 16u);
  EXPECT_TRUE(f.is_printed());  // plain show leaves the print state alone
  f.show_on_page(false);
  EXPECT_EQ(f.presentation(), 17u);
  EXPECT_FALSE(f.is_printed());
  f.show_on_page(true);
  EXPECT_EQ(f.presentation(), 0u);

  ParameterDescriptor not_printed = number_row(0, 100, "%0.1f");
  not_printed.presentation = 2 | 32;
  ParameterField n(not_printed, kEnglish);
  n.show_on_page(true);
  EXPECT_FALSE(n.is_printed());  // option 2 is the table's, not the page rule's
  EXPECT_TRUE(n.is_enabled());
  EXPECT_FALSE(n.is_value_enabled());
}

TEST(ParameterField, LabelsAndUnitsFollowTheLanguage) {
  ParameterDescriptor d = number_row(0, 25.5, "%0.1f", 0x100);
  d.label_text_id = 195;
  d.unit_text_id = 237;
  ParameterField f(d, kEnglish);
  EXPECT_EQ(f.label_text(), text_of(195, kEnglish));
  EXPECT_EQ(f.unit_text(), text_of(237, kEnglish));
  f.set_language(kFrench);
  EXPECT_EQ(f.label_text(), text_of(195, kFrench));
  EXPECT_NE(f.label_text(), text_of(195, kEnglish));
  f.set_label_text_id(95);
  EXPECT_EQ(f.label_text(), text_of(95, kFrench));
}

}  // namespace
}  // namespace orvadw
