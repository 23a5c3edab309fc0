// Every window's table against the simulated instrument (whose register image
// is laid out by hand) and the windows' own edge cases, under the C locale and
// under a French one where printf would write "27,9".
#include <gtest/gtest.h>

#include <string>

#include "base/date_time.h"
#include "base/text_table.h"
#include "params/window_table.h"
#include "sim/simulated_instrument.h"
#include "tests/support/hex_bytes.h"
#include "tests/support/process_locale.h"

namespace orvadw {
namespace {

using test::bytes_from_hex;
using test::hex;
using Bytes = std::vector<std::uint8_t>;

class WindowTables : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    locale_ = std::make_unique<test::ProcessLocale>(GetParam());
    if (!locale_->ok()) GTEST_SKIP() << GetParam() << " is not installed";
  }
  void TearDown() override { locale_.reset(); }

  static void type_into(ParameterField& field, const std::string& text) {
    field.edit_text(text);
    field.finish_edit();
  }
  static std::string bytes_at(const Bytes& bytes, std::size_t from, std::size_t count) {
    return hex(std::span(bytes).subspan(from, count));
  }

  std::unique_ptr<test::ProcessLocale> locale_;
  sim::SimulatedInstrument instrument_;
};

TEST_P(WindowTables, SettingsDefaultsAreTheInstrumentsFactoryBlock) {
  ParameterFieldList fresh = make_field_list(settings_window(kEnglish), kEnglish);
  Bytes factory = instrument_.registers(block::kParameters, fresh.block_words(block::kParameters));
  ASSERT_EQ(factory.size(), 100u);
  EXPECT_EQ(hex(fresh.encode(block::kParameters)), hex(factory));

  // Decoding the factory block shows exactly the initial texts.
  ParameterFieldList read = make_field_list(settings_window(kEnglish), kEnglish);
  for (ParameterField& f : read) f.set_reference_text("not yet read");
  ASSERT_EQ(read.decode(block::kParameters, factory), 0);
  for (std::size_t i = 0; i < fresh.size(); ++i) {
    if (!fresh.at(i).is_block_value() || fresh.at(i).descriptor().block_address != block::kParameters) continue;
    EXPECT_EQ(read.at(i).value_text(), fresh.at(i).value_text()) << "control " << fresh.at(i).descriptor().control_id;
  }
  EXPECT_EQ(read.field(1080)->value_text(), "27.9");
  EXPECT_EQ(read.field(1137)->value_text(), "Copper");
}

TEST_P(WindowTables, InstrumentBlocksRoundTripByteForByte) {
  struct Case {
    WindowTable window;
    int block;
  };
  WindowTable identification;
  ASSERT_TRUE(find_window("identification", kEnglish, identification));
  const Case cases[] = {
      {settings_window(kEnglish), block::kParameters},
      {analog_output_window(kEnglish), block::kOutputPoints},
      {special_settings_window(kEnglish), block::kSpecial},
      {identification, block::kIdentification},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.window.key);
    ParameterFieldList list = make_field_list(c.window, kEnglish);
    Bytes image = instrument_.registers(c.block, list.block_words(c.block));
    ASSERT_FALSE(image.empty()) << "the instrument has no such block";
    image.resize(static_cast<std::size_t>(list.block_length(c.block)));
    ASSERT_EQ(list.decode(c.block, image), 0);
    EXPECT_EQ(hex(list.encode(c.block)), hex(image));
  }
  // The instrument's identification as the header shows it.
  ParameterFieldList header = make_field_list(identification, kEnglish);
  header.decode(block::kIdentification, instrument_.registers(block::kIdentification, 25));
  EXPECT_EQ(header.field(identification::kJbusNumber)->value_text(), "1");
  EXPECT_EQ(header.field(identification::kSoftwareVersion)->value_text(), "10-11-A");
  EXPECT_EQ(header.field(identification::kCode)->integer(), 1011);
}

TEST_P(WindowTables, SettingsTypedValues) {
  ParameterFieldList list = make_field_list(settings_window(kEnglish), kEnglish);
  ParameterField& period = *list.field(1035);
  type_into(period, "500");
  EXPECT_EQ(period.value_text(), "1000");
  EXPECT_EQ(bytes_at(list.encode(block::kParameters), 32, 2), "03 E8");
  type_into(period, "40000");
  EXPECT_EQ(period.value_text(), "32000");
  EXPECT_EQ(bytes_at(list.encode(block::kParameters), 32, 2), "7D 00");

  ParameterField& c4 = *list.field(1032);
  type_into(c4, "850.0");
  EXPECT_EQ(bytes_at(list.encode(block::kParameters), 39, 2), "21 34");
  type_into(c4, "1234.56");
  EXPECT_EQ(c4.value_text(), "1234.6");
  EXPECT_EQ(bytes_at(list.encode(block::kParameters), 39, 2), "30 3A");

  type_into(*list.field(1080), "27.9");
  EXPECT_EQ(bytes_at(list.encode(block::kParameters), 2, 3), "00 01 17");
  type_into(*list.field(1148), "Pump station north 7");
  EXPECT_EQ(list.field(1148)->value_text(), "Pump station nor");

  // The instrument's language sits in the low four bits of byte 0.
  Bytes image = list.encode(block::kParameters);
  image[0] = 0x23;
  list.decode(block::kParameters, image);
  EXPECT_EQ(list.field(1119)->integer(), 3);
  EXPECT_EQ(list.field(1119)->value_text(), text_of(22, 3, kEnglish));
  EXPECT_EQ(list.encode(block::kParameters)[0], 0x03);

  // Clock and reset word go in blocks of their own.
  ParameterField& reset = *list.field(1193);
  reset.set_number(65537);
  EXPECT_EQ(hex(list.encode(block::kResetWord)), "00 01 00 01");
  ParameterField& clock = *list.field(1194);
  DateTime when(2024, 2, 29, 13, 5, 9);
  clock.set_text(when.format_date() + " - " + when.format_time());
  EXPECT_EQ(hex(list.encode(block::kClock)), "02 18 0D 1D 09 05");
}

TEST_P(WindowTables, SpecialSettings) {
  ParameterFieldList list = make_field_list(special_settings_window(kEnglish), kEnglish);
  ASSERT_EQ(list.decode(block::kSpecial, instrument_.registers(block::kSpecial, 9)), 0);
  EXPECT_EQ(list.field(1165)->value_text(), "07");
  EXPECT_EQ(list.field(1158)->value_text(), "03");
  EXPECT_EQ(list.field(1166)->value_text(), "00001");
  EXPECT_EQ(list.field(1167)->value_text(), text_of(151, kEnglish));
  Bytes bytes = list.encode(block::kSpecial);
  EXPECT_EQ(bytes_at(bytes, 0, 4), "07 03 00 01");

  type_into(*list.field(1165), "61");
  EXPECT_EQ(list.field(1165)->value_text(), "60");
  type_into(*list.field(1146), "3");
  EXPECT_EQ(list.field(1146)->value_text(), "2");
  list.field(1170)->set_integer(1);  // OEM
  list.field(1006)->set_integer(1);  // R6
  list.field(1004)->set_integer(1);  // OR
  bytes = list.encode(block::kSpecial);
  EXPECT_EQ(bytes[0], 60);
  EXPECT_EQ(bytes[4], 2);
  EXPECT_EQ(bytes[13], 0x02);
  EXPECT_EQ(bytes[14], 0x01);
  EXPECT_EQ(bytes[16], 1);
  EXPECT_EQ(bytes[5], 0);

  // Bits decode as their weight and still pick "Yes".
  Bytes bits(17, 0);
  bits[4] = 1;  // 0 chords would be pulled up to the minimum of 1
  bits[14] = 0x80;
  bits[15] = 0x04;
  list.decode(block::kSpecial, bits);
  EXPECT_EQ(list.field(1020)->value_text(), "Yes");
  EXPECT_EQ(list.field(1006)->value_text(), "No");
  EXPECT_EQ(list.field(1247)->value_text(), "Yes");
  EXPECT_EQ(hex(list.encode(block::kSpecial)), hex(bits));
}

TEST_P(WindowTables, AnalogOutputPoints) {
  ParameterFieldList list = make_field_list(analog_output_window(kEnglish), kEnglish);
  type_into(*list.field(1206), "5");
  type_into(*list.field(1210), "5");
  type_into(*list.field(1204), "70000");
  EXPECT_EQ(list.field(1206)->value_text(), "10");
  EXPECT_EQ(list.field(1210)->value_text(), "5");
  EXPECT_EQ(list.field(1204)->value_text(), "65535");
  EXPECT_EQ(hex(list.encode(block::kOutputPoints)), "00 00 00 00 00 00 00 0A FF FF 00 05 EC 54");
}

TEST_P(WindowTables, LoggerEntry) {
  ParameterFieldList list = make_field_list(logger_window(kEnglish), kEnglish);
  ASSERT_EQ(list.decode(block::kLoggerEntry, bytes_from_hex("0C 05 1F 17 3B 3A 43 7A 00 00 AA BB")), 0);
  DateTime when(2005, 12, 31, 23, 59, 58);
  EXPECT_EQ(list.field(1069)->value_text(), when.format_date() + " - " + when.format_time());
  EXPECT_EQ(list.field(1235)->value_text(), "250");
  EXPECT_EQ(hex(list.encode(block::kLoggerEntry)), "0C 05 1F 17 3B 3A 43 7A 00 00");

  // A saved table row goes back through the setters.
  list.field(1069)->set_text(DateTime(2006, 1, 2, 3, 4, 5).format_date() + " - " +
                             DateTime(2006, 1, 2, 3, 4, 5).format_time());
  list.field(1235)->set_number(1.5);
  EXPECT_EQ(hex(list.encode(block::kLoggerEntry)), "01 06 02 03 04 05 40 00 00 00");
  EXPECT_EQ(list.field(1054)->value_text(), "");  // link status starts blank
}

TEST_P(WindowTables, EscValues) {
  ParameterFieldList list = make_field_list(esc_window(kEnglish), kEnglish);
  ASSERT_EQ(list.decode(block::kEscEntry, bytes_from_hex("03 0F 41 20 00 00")), 0);
  EXPECT_EQ(list.field(1098)->value_text(), "3");
  EXPECT_EQ(list.field(1097)->value_text(), "15");
  EXPECT_EQ(list.field(1099)->value_text(), "10.000");

  Bytes esc(123, 0);
  esc[120] = 1;
  esc[122] = 14;
  list.decode(block::kEsc, esc);
  EXPECT_EQ(list.field(1180)->value_text(), "Normal");
  EXPECT_EQ(list.field(1130)->value_text(), "14");
  esc[120] = 0;
  esc[122] = 200;
  list.decode(block::kEsc, esc);
  EXPECT_EQ(list.field(1180)->value_text(), "Reverse");
  EXPECT_EQ(list.field(1130)->value_text(), "89");
}

TEST_P(WindowTables, MeasurementLiveValues) {
  ParameterFieldList list = make_field_list(measurement_window(kEnglish), kEnglish);
  EXPECT_EQ(list.field(1032)->value_text(), "0.0");  // hidden bounds are not limited
  Bytes live(48, 0);
  auto put = [&](std::size_t at, const char* hex) {
    Bytes b = bytes_from_hex(hex);
    std::copy(b.begin(), b.end(), live.begin() + static_cast<long>(at));
  };
  put(0, "44 B9 10 00");  // 1480.5 m/s
  put(5, "01");
  put(6, "42 48 00 00");  // 50 us
  put(18, "2A");
  put(28, "00 00 01 00");
  put(44, "07 00 03");
  ASSERT_EQ(list.decode(block::kMeasure, live), 0);
  EXPECT_EQ(list.field(1038)->value_text(), "1480.5");
  EXPECT_EQ(list.field(1229)->value_text(), "50.0");
  EXPECT_EQ(list.field(1104)->value_text(), "42");
  EXPECT_EQ(list.field(1075)->value_text(), "Fault");
  EXPECT_EQ(list.field(1055)->value_text(), "256");
  EXPECT_EQ(list.field(1254)->value_text(), "****");  // beyond the boards: the last line
  EXPECT_EQ(list.field(1236)->value_text(), text_of(31, 3, kEnglish));
  live[5] = 0x02;  // only bit 0 is the fault
  list.decode(block::kMeasure, live);
  EXPECT_EQ(list.field(1075)->value_text(), "No Fault");

  // The range poll: registers 0x1013 to 0x1015 behind 38 zero bytes.
  Bytes range(38, 0);
  Bytes tail = bytes_from_hex("00 21 34 3C F0 00");
  range.insert(range.end(), tail.begin(), tail.end());
  ASSERT_EQ(list.decode(block::kParameters, range), 0);
  EXPECT_EQ(list.field(1032)->value_text(), "850.0");
  EXPECT_EQ(list.field(1029)->value_text(), "1560.0");
}

INSTANTIATE_TEST_SUITE_P(Locales, WindowTables, ::testing::Values("C", "fr_FR.UTF-8"),
                         [](const auto& info) { return std::string(info.param[0] == 'C' ? "C" : "French"); });

}  // namespace
}  // namespace orvadw
