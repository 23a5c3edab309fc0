// The rules of the settings and special settings windows on their real
// tables: what each choice shows, hides, disables or renames, the Defaults
// button, and what a transfer writes besides the parameter block.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_table.h"
#include "params/settings_rules.h"
#include "params/special_settings_rules.h"
#include "params/window_rules.h"
#include "params/window_table.h"
#include "tests/support/hex_bytes.h"

namespace orvadw {
namespace {

using test::hex;

struct Expect {
  int control;
  bool shown;
  bool enabled = true;
  int label_text_id = 0;  // 0: not checked
};

struct RuleCase {
  const char* name;
  int control;  // the choice set
  int value;
  std::vector<Expect> expect;
};

const std::vector<RuleCase>& settings_cases() {
  using namespace settings;
  static const std::vector<RuleCase> cases = {
      {"relay 1 open", kRelay1Type, 0, {{kRelay1Threshold, false}}},
      {"relay 1 threshold+", kRelay1Type, 2, {{kRelay1Threshold, true}}},
      {"relay 1 sphere", kRelay1Type, 3, {{kRelay1Threshold, false}}},
      {"relay 1 threshold-", kRelay1Type, 5, {{kRelay1Threshold, true}}},
      {"relay 2 threshold+", kRelay2Type, 2, {{kRelay2Threshold, true}, {kRelay1Threshold, false}}},
      {"relay 2 sphere", kRelay2Type, 3, {{kRelay2Threshold, false}}},
      {"relay 2 threshold-", kRelay2Type, 5, {{kRelay2Threshold, true}}},
      {"gain manual", kGainType, 0, {{kMargin, true, true, 95}, {kPolarity, true, true}}},
      {"gain automatic", kGainType, 1, {{kMargin, true, true, 114}, {kPolarity, true, true}}},
      {"gain esc", kGainType, 2, {{kMargin, true, false, 114}, {kPolarity, true, false}}},
      {"sphere by velocity",
       kSphereChoice,
       0,
       {{kSphereVMin, true}, {kSphereVMax, true}, {kSphereQMin, false}, {kSphereQMax, false}}},
      {"sphere by flow",
       kSphereChoice,
       1,
       {{kSphereVMin, false}, {kSphereVMax, false}, {kSphereQMin, true}, {kSphereQMax, true}}},
      {"material other", kMaterial, 0, {{kMaterialSpeed, true}}},
      {"material steel", kMaterial, 11, {{kMaterialSpeed, false}}},
  };
  return cases;
}

TEST(SettingsRules, EachChoiceShowsHidesAndDisablesItsFields) {
  const WindowRules rules = window_rules("settings");
  for (const RuleCase& c : settings_cases()) {
    SCOPED_TRACE(c.name);
    ParameterFieldList fields = make_field_list(settings_window(kEnglish), kEnglish);
    ASSERT_EQ(fields.field(c.control)->set_integer(c.value), 0);
    apply_window_rules(rules, fields);
    for (const Expect& e : c.expect) {
      SCOPED_TRACE(e.control);
      const ParameterField& f = *fields.field(e.control);
      EXPECT_EQ(f.is_shown(), e.shown);
      EXPECT_EQ(f.is_printed(), e.shown);  // a hidden field leaves the printed sheet
      EXPECT_EQ(f.is_enabled(), e.enabled);
      if (e.label_text_id != 0) {
        EXPECT_EQ(f.label_text(), text_of(e.label_text_id, kEnglish));
      }
    }
    // The rules never change a value: the block encodes as before.
    ParameterFieldList plain = make_field_list(settings_window(kEnglish), kEnglish);
    plain.field(c.control)->set_integer(c.value);
    EXPECT_EQ(hex(fields.encode(block::kParameters)), hex(plain.encode(block::kParameters)));
  }
}

TEST(SettingsRules, DefaultsTakeTheSphereLengthsFromTheDiameter) {
  ParameterFieldList fields = make_field_list(settings_window(kEnglish), kEnglish);
  settings::apply_defaults(fields);
  EXPECT_EQ(fields.field(settings::kSphereLengthMin)->value_text(), "27.9");
  EXPECT_EQ(fields.field(settings::kSphereLengthMax)->value_text(), "83.7");
  // Offsets 96 and 93, signed 24-bit tenths: 279 and 837.
  const auto bytes = fields.encode(block::kParameters);
  EXPECT_EQ(hex(std::span(bytes).subspan(93, 6)), "00 03 45 00 01 17");
  fields.field(settings::kExternalDiameter)->set_number(1500);
  settings::apply_defaults(fields);
  EXPECT_EQ(fields.field(settings::kSphereLengthMax)->value_text(), "4500.0");
  EXPECT_FALSE(fields.changed_fields().empty());
}

TEST(SettingsRules, TheTransferPlanPutsClockAndResetWordBeforeTheParameters) {
  struct Case {
    bool sync, logger, count;
    std::vector<int> blocks;
    const char* reset_word;
  };
  const std::vector<Case> cases = {
      {false, false, false, {block::kParameters}, ""},
      {true, false, false, {block::kClock, block::kParameters}, ""},
      {false, true, false, {block::kResetWord, block::kParameters}, "00 01 00 00"},
      {false, false, true, {block::kResetWord, block::kParameters}, "00 00 00 01"},
      {true, true, true, {block::kClock, block::kResetWord, block::kParameters}, "00 01 00 01"},
  };
  const DateTime now(2024, 3, 15, 10, 20, 30);
  for (const Case& c : cases) {
    SCOPED_TRACE(hex(std::vector<std::uint8_t>{c.sync, c.logger, c.count}));
    ParameterFieldList fields = make_field_list(settings_window(kEnglish), kEnglish);
    fields.field(settings::kSyncClock)->set_integer(c.sync ? 0 : 1);
    fields.field(settings::kResetLogger)->set_integer(c.logger ? 0 : 1);
    fields.field(settings::kResetSphereCount)->set_integer(c.count ? 0 : 1);
    fields.commit();
    // A write list that already holds the three blocks in another order,
    // and one more, which stays first.
    BlockSequences sequences({}, {block::kParameters, 0x7000, block::kClock}, {});
    plan_window_transfer(window_rules("settings"), fields, sequences, now);
    std::vector<int> expected = {0x7000};
    expected.insert(expected.end(), c.blocks.begin(), c.blocks.end());
    EXPECT_EQ(sequences.blocks(Sequence::kWrite), expected);
    if (c.sync) {
      // Month, year, hour, day, second, minute.
      EXPECT_EQ(hex(fields.encode(block::kClock)), "03 18 0A 0F 1E 14");
    }
    if (c.logger || c.count) {
      EXPECT_EQ(hex(fields.encode(block::kResetWord)), c.reset_word);
    }
    // The values only a transfer sends never mark the window as changed.
    EXPECT_TRUE(fields.changed_fields().empty());
  }
}

TEST(SpecialSettingsRules, SerialTextsAndTheOemChoice) {
  ParameterFieldList fields = make_field_list(special_settings_window(kEnglish), kEnglish);
  fields.field(special::kSerialWeek)->set_number(7);
  fields.field(special::kSerialYear)->set_number(3);
  fields.field(special::kSerialNumber)->set_number(1);
  fields.field(special::kBoardNumber)->set_number(256);
  const WindowRules rules = window_rules("special");
  apply_window_rules(rules, fields);
  EXPECT_EQ(fields.field(special::kSerialText)->value_text(), "07/03/00001");
  EXPECT_EQ(fields.field(special::kBoardSerialText)->value_text(), "07/03/00256");
  // The serial texts are set as their own reference: never "changed".
  for (int position : fields.changed_fields()) {
    const int control = fields.at(static_cast<std::size_t>(position)).descriptor().control_id;
    EXPECT_NE(control, special::kSerialText);
    EXPECT_NE(control, special::kBoardSerialText);
  }
  const std::vector<int> oem_side = {
      special::kOemFrame, special::kArrangementFrame, 1006, 1004, 1243, 1247};
  const std::vector<int> model_side = {special::kModel, special::kModelFrame, special::kMaxChords};
  for (int oem : {0, 1, 0}) {
    fields.field(special::kOem)->set_integer(oem);
    apply_window_rules(rules, fields);
    for (int c : oem_side) EXPECT_EQ(fields.field(c)->is_shown(), oem == 1) << c;
    for (int c : model_side) EXPECT_EQ(fields.field(c)->is_shown(), oem == 0) << c;
    // The OEM choice itself always stays reachable.
    EXPECT_TRUE(fields.field(special::kOem)->is_shown());
  }
  // Windows without rules of their own have none.
  EXPECT_EQ(window_rules("analog").apply, nullptr);
  EXPECT_EQ(window_rules("analog").plan_transfer, nullptr);
}

}  // namespace
}  // namespace orvadw
