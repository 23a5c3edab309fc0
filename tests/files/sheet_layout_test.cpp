// The printed sheet on a recording surface: what goes where, page breaks
// with "n/T" numbers, the usable area, and which fields are left out.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "base/text_table.h"
#include "files/logger_table.h"
#include "files/print_sheet.h"
#include "files/sheet_layout.h"
#include "params/grid_table.h"
#include "params/window_table.h"
#include "support/recording_print_surface.h"
#include "tests/support/grid_field_list.h"

namespace orvadw {
namespace {

using test::RecordingPrintSurface;

constexpr double kA4Width = 595;
constexpr double kA4Height = 842;

// The usable area: 10 points from the right, 20 from the bottom, 10 from the
// top of a page. The page numbers sit below it, in the margin.
void expect_inside(const RecordingPrintSurface& s, double width, double height) {
  for (const auto& t : s.texts()) {
    if (t.text.find('/') != std::string::npos && t.y + t.height == height) continue;
    SCOPED_TRACE(t.text + " on page " + std::to_string(t.page));
    EXPECT_GE(t.x, 0);
    EXPECT_LE(t.x + t.width, width - 10 + 1e-9);
    EXPECT_LE(t.y + t.height, height - 20 + 1e-9);
    EXPECT_GE(t.y, 10);
  }
}

TEST(AnchoredPosition, FlagsMoveTheTextAsTheSheetNeedsIt) {
  using namespace print_flag;
  const PrintSize page{600, 800};
  const PrintSize text{100, 12};
  auto at = [&](double x, double y, int flags) {
    return anchored_position(x, y, flags, text, page);
  };
  // The title: top, centred on the page.
  EXPECT_DOUBLE_EQ(at(0, 10, kTop | kCentre | kCentredOnX).x, 250);
  EXPECT_DOUBLE_EQ(at(0, 10, kTop | kCentre | kCentredOnX).y, 10);
  // The footer: bottom left; the program's name bottom right.
  EXPECT_DOUBLE_EQ(at(0, 0, kBottom | kLeft | kNoAnchor).x, 0);
  EXPECT_DOUBLE_EQ(at(0, 0, kBottom | kLeft | kNoAnchor).y, 788);
  EXPECT_DOUBLE_EQ(at(0, 0, kBottom | kRight).x, 500);
  // Top wins over bottom, left over right, no anchor over the others.
  EXPECT_DOUBLE_EQ(at(5, 7, kTop | kBottom | kMiddle).y, 7);
  EXPECT_DOUBLE_EQ(at(5, 7, kLeft | kRight | kCentre).x, 5);
  EXPECT_DOUBLE_EQ(at(300, 0, kNoAnchor | kEndsAtX | kCentredOnX).x, 300);
  EXPECT_DOUBLE_EQ(at(300, 0, kEndsAtX | kCentredOnX).x, 200);
  EXPECT_DOUBLE_EQ(at(300, 0, kCentredOnX).x, 250);
  EXPECT_DOUBLE_EQ(at(0, 5, kMiddle).y, 405);
}

// A logger field list whose table holds three entries.
struct LoggerSheet {
  ParameterFieldList fields = make_field_list(logger_window(kEnglish), kEnglish);
  LoggerTable table{fields};
  LoggerSheet() {
    const std::vector<std::uint8_t> entries[] = {
        {0x0C, 0x05, 0x1F, 0x17, 0x3B, 0x3A, 0x44, 0x7A, 0x00, 0x00},
        {0x01, 0x06, 0x02, 0x08, 0x00, 0x01, 0x44, 0x80, 0x00, 0x00},
        {0x01, 0x06, 0x03, 0x09, 0x10, 0x20, 0x43, 0x00, 0x00, 0x00},
    };
    for (int i = 0; i < 3; ++i) table.fill(i + 1, entries[i]);
  }
};

TEST(SheetLayout, ALoggerTableFitsOnePageWithItsHeaderWhole) {
  LoggerSheet logger;
  RecordingPrintSurface s(kA4Width, kA4Height);
  const DateTime now(2026, 1, 5, 14, 3, 9);
  RegionalSettings regional;  // day-month-year, 24 hours
  ASSERT_EQ(print_sheet(s, logger.fields, {"Logger", ""}, kEnglish, now, regional), 1);
  EXPECT_EQ(s.pages(), 1);

  // Title centred at the top, bold and underlined; footer, name, "1/1".
  ASSERT_EQ(s.find("Logger").size(), 1u);
  const auto title = s.find("Logger")[0];
  EXPECT_TRUE(title.bold && title.underline);
  EXPECT_DOUBLE_EQ(title.x + title.width / 2, kA4Width / 2);
  ASSERT_EQ(s.find("Printed at 05/01/2026   14:03:09").size(), 1u);
  EXPECT_DOUBLE_EQ(s.find("Printed at 05/01/2026   14:03:09")[0].y, kA4Height - 12);
  // The print job's name: year-month-day hour-minute-second, two digits.
  EXPECT_EQ(print_document_name("Logger", DateTime(2026, 1, 5, 4, 3, 9)),
            "Logger 2026-01-05 04-03-09");
  ASSERT_EQ(s.find("OrvadW 10").size(), 1u);
  EXPECT_DOUBLE_EQ(s.find("OrvadW 10")[0].x + s.find("OrvadW 10")[0].width, kA4Width);
  ASSERT_EQ(s.find("1/1").size(), 1u);
  EXPECT_DOUBLE_EQ(s.find("1/1")[0].x + s.find("1/1")[0].width / 2, kA4Width / 2);

  // The header row in bold, whole; one line per entry, none for empty rows.
  for (const char* header : {"N°", "Date", "Time", "T Obt(µs)"}) {
    ASSERT_EQ(s.find(header).size(), 1u) << header;
    EXPECT_TRUE(s.find(header)[0].bold);
  }
  // The cells as the table holds them (dates in the process's format).
  EXPECT_EQ(s.find(logger.table.grid().cell(1, 1)).size(), 1u);
  EXPECT_EQ(s.find("23:59:58").size(), 1u);
  EXPECT_EQ(s.find("1000").size(), 1u);
  EXPECT_EQ(s.find("128").size(), 1u);
  EXPECT_EQ(s.find("3").size(), 1u);
  EXPECT_TRUE(s.find("4").empty());
  // Entries under the header, in order.
  EXPECT_LT(s.find("N°")[0].y, s.find("1")[0].y);
  EXPECT_LT(s.find("1")[0].y, s.find("2")[0].y);
  EXPECT_LT(s.find("2")[0].y, s.find("3")[0].y);
  EXPECT_GE(s.find("N°")[0].y, SheetLayout::kWindowTop);
}

// A field list of one grid of `rows` entries under a header row.
ParameterFieldList grid_list(int rows, const std::string& wide = {}) {
  return test::grid_field_list(rows, {"Name", "Value", "Note"}, [&wide](int r) {
    return std::vector<std::string>{"row " + std::to_string(r), std::to_string(r * 7), wide};
  });
}

TEST(SheetLayout, HundredsOfLinesBreakIntoNumberedPagesAndLoseNone) {
  const ParameterFieldList list = grid_list(300);
  RecordingPrintSurface s(kA4Width, kA4Height);
  SheetLayout layout(s, list);
  const int pages = layout.print(SheetLayout::kWindowTop);
  // 14 points a line: 54 lines on the first page below 60 (the header
  // included), 58 on each further one.
  ASSERT_EQ(pages, 6);
  EXPECT_EQ(s.pages(), pages);
  for (int p = 1; p <= pages; ++p) {
    const std::string number = std::to_string(p) + "/" + std::to_string(pages);
    ASSERT_EQ(s.find(number).size(), 1u) << number;
    EXPECT_EQ(s.find(number)[0].page, p - 1);
    EXPECT_DOUBLE_EQ(s.find(number)[0].y, kA4Height - RecordingPrintSurface::kLineHeight);
    // The header on every page, above that page's rows.
    int headers = 0;
    for (const auto& t : s.on_page(p - 1)) headers += t.text == "Name" ? 1 : 0;
    EXPECT_EQ(headers, 1) << "page " << p;
  }
  // Every row once, in order, on consecutive lines or pages.
  double last_y = -1;
  int last_page = 0;
  for (int r = 1; r <= 300; ++r) {
    const auto found = s.find("row " + std::to_string(r));
    ASSERT_EQ(found.size(), 1u) << r;
    ASSERT_EQ(s.find(std::to_string(r * 7)).size() >= 1, true);
    EXPECT_TRUE(found[0].page > last_page || found[0].y > last_y) << r;
    last_page = found[0].page;
    last_y = found[0].y;
  }
  expect_inside(s, kA4Width, kA4Height);
}

TEST(SheetLayout, APrinterThatRefusesAPageEndsTheSheet) {
  const ParameterFieldList list = grid_list(300);
  RecordingPrintSurface s(kA4Width, kA4Height);
  s.refuse_new_page();
  EXPECT_EQ(SheetLayout(s, list).print(SheetLayout::kWindowTop), -1);
}

TEST(SheetLayout, TextsTooWideForThePageAreCut) {
  const ParameterFieldList list = grid_list(3, std::string(200, 'w'));
  RecordingPrintSurface s(kA4Width, kA4Height);
  ASSERT_EQ(SheetLayout(s, list).print(SheetLayout::kWindowTop), 1);
  int cut = 0;
  for (const auto& t : s.texts()) cut += t.text.find("\xE2\x80\xA6") != std::string::npos ? 1 : 0;
  EXPECT_EQ(cut, 3);
  EXPECT_EQ(s.find("row 3").size(), 1u);
  expect_inside(s, kA4Width, kA4Height);
}

TEST(SheetLayout, ATitleLongerThanThePageIsCutNotLost) {
  LoggerSheet logger;
  RecordingPrintSurface s(kA4Width, kA4Height);
  const std::string title = "Logger - /a/very/long/path/" + std::string(150, 'x') + ".log";
  ASSERT_EQ(print_sheet(s, logger.fields, {title, "CRC-32 00000000"}, kEnglish, DateTime(),
                        RegionalSettings()),
            1);
  const auto& first = s.texts().front();
  EXPECT_EQ(first.text.rfind("Logger - /a/very/long/path/", 0), 0u);
  EXPECT_EQ(first.text.substr(first.text.size() - 3), "\xE2\x80\xA6");
  EXPECT_GE(first.x, 0);
  EXPECT_LE(first.x + first.width, kA4Width);
  EXPECT_EQ(s.find("Printed at 01/01/1980   00:00:00   CRC-32 00000000").size(), 1u);
}

TEST(SheetLayout, HeadingsPlaceBlocksInRowsAndColumns) {
  ParameterFieldList list = make_field_list(settings_window(kEnglish), kEnglish);
  RecordingPrintSurface s(kA4Width, kA4Height);
  ASSERT_EQ(SheetLayout(s, list).print(SheetLayout::kWindowTop), 1);
  // Section titles start rows at the left, in bold and underlined, one row
  // below the other.
  double previous = 0;
  for (int id : {99, 189, 42, 193, 192}) {
    const auto found = s.find(text_of(id, kEnglish));
    ASSERT_EQ(found.size(), 1u) << id;
    EXPECT_DOUBLE_EQ(found[0].x, 10);
    EXPECT_TRUE(found[0].bold && found[0].underline);
    EXPECT_GT(found[0].y, previous + 20);
    previous = found[0].y;
  }
  // The outputs' groups side by side on one row, left to right.
  const auto outputs = s.find(text_of(192, kEnglish))[0];
  double x = outputs.x + outputs.width;
  for (int id : {176, 177, 179, 180}) {
    const auto found = s.find(text_of(id, kEnglish));
    ASSERT_EQ(found.size(), 1u) << id;
    EXPECT_DOUBLE_EQ(found[0].y, outputs.y) << id;
    EXPECT_GE(found[0].x, x + 20) << id;
    x = found[0].x + found[0].width;
  }
  // A value line: name, " = " after the widest name of its block, value.
  const auto jbus = s.find(text_of(104, kEnglish));
  ASSERT_EQ(jbus.size(), 1u);
  bool equals_found = false;
  for (const auto& t : s.texts())
    equals_found |= t.text == " = " && t.y == jbus[0].y && t.x > jbus[0].x;
  EXPECT_TRUE(equals_found);
  expect_inside(s, kA4Width, kA4Height);
}

TEST(SheetLayout, FieldsLeftOffThePageAndHiddenValuesTakeNoPlace) {
  ParameterFieldList list = make_field_list(settings_window(kEnglish), kEnglish);
  ParameterField& jbus = *list.field(1117);
  const std::string jbus_label = jbus.label_text();
  ParameterField& filter = *list.field(1094);
  const std::string filter_label = filter.label_text();
  {
    RecordingPrintSurface s(kA4Width, kA4Height);
    SheetLayout(s, list).print(SheetLayout::kWindowTop);
    EXPECT_EQ(s.find(jbus_label).size(), 1u);
    EXPECT_EQ(s.find(filter_label).size(), 1u);
    // The clock and reset word are hidden values; the logger-reset choices
    // are never printed.
    EXPECT_TRUE(s.find(text_of(173, kEnglish)).empty());
  }
  // The page rules hide a field from the page and the paper; a field only
  // hidden on screen (as the differences list's signature lines) still prints.
  list.show_on_page(1117, false);
  filter.show(false);
  RecordingPrintSurface s(kA4Width, kA4Height);
  SheetLayout(s, list).print(SheetLayout::kWindowTop);
  EXPECT_TRUE(s.find(jbus_label).empty());
  EXPECT_EQ(s.find(filter_label).size(), 1u);
}

}  // namespace
}  // namespace orvadw
