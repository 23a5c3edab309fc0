// The ESC tables filled from images of block 0xB00: where each table ends,
// that no entry is read past its table or past the image, how the cells
// read, and images an instrument should not send (all zero, all 0xFF, cut
// short). The view and the command line are proved on the instrument.
#include "params/esc_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_table.h"
#include "params/window_table.h"

namespace orvadw {
namespace {

using Polarity = EscTables::Polarity;
using Bytes = std::vector<std::uint8_t>;

constexpr int kImageBytes = 124;  // 62 registers

void put_entry(Bytes& image, int table_start, int k, int number, int gain,
               std::initializer_list<std::uint8_t> value) {
  std::uint8_t* e = image.data() + table_start + 6 * k;
  e[0] = static_cast<std::uint8_t>(number);
  e[1] = static_cast<std::uint8_t>(gain);
  std::copy(value.begin(), value.end(), e + 2);
}

std::vector<std::vector<std::string>> rows(const GridTable& grid) {
  std::vector<std::vector<std::string>> out;
  out.push_back(grid.row(0));
  for (int r : grid.filled_rows()) out.push_back(grid.row(r));
  return out;
}

class EscTablesTest : public ::testing::Test {
 protected:
  ParameterFieldList fields = make_field_list(esc_window(kEnglish), kEnglish);
  EscTables tables{fields};
};

TEST_F(EscTablesTest, TablesEndAtTheFirstZeroAndNeverReachIntoTheOtherTable) {
  Bytes image(kImageBytes, 0);
  // Reverse: three entries, the end mark, then a stale entry never shown.
  put_entry(image, 0, 0, 5, 30, {0x41, 0x20, 0x00, 0x00});  // 10.0
  put_entry(image, 0, 1, 6, 31, {0x41, 0x24, 0x00, 0x00});  // 10.25
  put_entry(image, 0, 2, 9, 33, {0xC0, 0x00, 0x00, 0x00});  // -2.0
  put_entry(image, 0, 4, 7, 60, {0x41, 0xF8, 0x00, 0x00});
  // Normal: ten full entries; what follows (polarity, margin) is no entry.
  for (int k = 0; k < 10; ++k) put_entry(image, 60, k, 20 + k, 40 + k, {0x3F, 0x80, 0x00, 0x00});
  image[120] = 1;
  image[122] = 14;

  EXPECT_EQ(tables.fill(image), 13);
  const GridTable& reverse = tables.grid(Polarity::kReverse);
  const GridTable& normal = tables.grid(Polarity::kNormal);
  EXPECT_EQ(&reverse, fields.field(1293)->grid()) << "reverse goes to the right-hand grid";
  EXPECT_EQ(&normal, fields.field(1294)->grid());
  const std::vector<std::vector<std::string>> expected_reverse = {
      {"Reverse", "Number", "Min Gain(dB)", "Value(µs)"},
      {"1", "5", "30", "10.000"},
      {"2", "6", "31", "10.250"},
      {"3", "9", "33", "-2.000"},
  };
  ASSERT_EQ(reverse.rows(), 11);
  EXPECT_EQ(rows(reverse), expected_reverse);
  ASSERT_EQ(normal.rows(), 11);
  EXPECT_EQ(normal.row(0)[0], "Normal");
  EXPECT_EQ(normal.row(10), (std::vector<std::string>{"10", "29", "49", "1.000"}));
  EXPECT_EQ(tables.entry_count(Polarity::kNormal), 10);

  // Ten reverse entries: the eleventh would start at byte 60, which is the
  // normal table's first entry; its number 0 must not shorten anything.
  for (int k = 0; k < 10; ++k) put_entry(image, 0, k, 1 + k, 2, {0, 0, 0, 0});
  put_entry(image, 60, 0, 0, 0, {0, 0, 0, 0});
  EXPECT_EQ(tables.fill(image), 10);
  EXPECT_EQ(tables.entry_count(Polarity::kReverse), 10);
  EXPECT_EQ(reverse.row(10), (std::vector<std::string>{"10", "10", "2", "0.000"}));
  EXPECT_EQ(tables.entry_count(Polarity::kNormal), 0) << "a refill drops the rows of the last one";
}

TEST_F(EscTablesTest, ImagesNoInstrumentShouldSendGiveHeadersOrRowsButNeverAReadPastTheBytes) {
  EXPECT_EQ(tables.fill(Bytes(kImageBytes, 0)), 0) << "all zero: the headers alone";

  // All 0xFF (erased memory): every entry has a number, so every row shows,
  // and nothing beyond the 20 entries is taken for one.
  EXPECT_EQ(tables.fill(Bytes(kImageBytes, 0xFF)), 20);
  const std::vector<std::string> erased = tables.grid(Polarity::kNormal).row(10);
  EXPECT_EQ(erased[0], "10");
  EXPECT_EQ(erased[1], "255");
  EXPECT_EQ(erased[2], "255");

  // Cut short: only whole entries inside the bytes count. 64 bytes hold ten
  // reverse entries and 4 bytes of the first normal one.
  Bytes cut(64, 0x01);
  EXPECT_EQ(tables.fill(cut), 10);
  EXPECT_EQ(tables.entry_count(Polarity::kNormal), 0);
  Bytes part(15, 0x02);  // two whole entries and half a third
  EXPECT_EQ(tables.fill(part), 2);
  EXPECT_EQ(tables.fill({}), 0);
}

}  // namespace
}  // namespace orvadw
