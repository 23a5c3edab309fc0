#pragma once
// The printed sheet of a window's fields: a flow of blocks placed left to
// right in rows, rows top to bottom, pages as needed, in points.
//
// A block is an optional heading (a group frame, a section title, a column
// or row break) followed by the run of ordinary fields up to the next
// heading. Each field prints "name = value unit" on one line, names, " = "
// and values aligned within the block; a grid field prints its header and
// filled rows one line each, a chart field its plot. Fields left out of the
// sheet (not printed, hidden, hidden values) take no place.
//
// The list is laid out twice: a counting pass (total pages 0) that prints
// nothing, then the printing pass, which puts "n/T" at the foot of every
// page. Every line stays inside the usable area (10 points from the right,
// 20 from the bottom): a block that would pass the bottom goes to the next
// page, a run longer than a page breaks between its lines, and a text too
// wide for the page is cut with an ellipsis.
#include <string>
#include <vector>

#include "files/print_surface.h"
#include "params/parameter_field_list.h"

namespace orvadw {

class GridTable;
class ChartSeries;

// The text cut (with an ellipsis, on a character boundary) to fit width in
// the surface's current font; "" when not even the ellipsis fits.
std::string fit_text(PrintSurface& surface, const std::string& text, double width);

class SheetLayout {
 public:
  // Where a window's list starts on its first page, below the title.
  static constexpr double kWindowTop = 60;
  // The page number at the foot of each page: bottom, centred on the page.
  static constexpr int kPageNumberFlags =
      print_flag::kBottom | print_flag::kCentre | print_flag::kCentredOnX;
  static constexpr double kChartWidth = 260;
  static constexpr double kChartHeight = 110;

  enum class Heading { kNone, kGroup, kSection, kColumn, kRow };

  // The surface's font is the body font while the list prints.
  SheetLayout(PrintSurface& surface, const ParameterFieldList& fields);

  // One pass: total_pages 0 counts (nothing is printed), else prints with
  // "n/total_pages" at each page break. Returns the page counter reached,
  // that is the number of pages + 1, or -1 when the printer refused a new
  // page.
  int print_list(int total_pages, double top);
  // Both passes; the number of pages printed, or -1.
  int print(double top);

  // How a field takes part in the sheet (exposed for the tests).
  static Heading heading_of(const ParameterField& field);
  static bool is_on_sheet(const ParameterField& field);

 private:
  struct Item {
    enum class Kind { kLine, kTable, kChart };
    Kind kind = Kind::kLine;
    std::string name;
    std::string value;
    std::string unit;
    const GridTable* table = nullptr;
    const ChartSeries* chart = nullptr;
    std::vector<int> rows;             // table: header rows, then filled rows
    std::vector<double> column_width;  // table
    double width = 0;
    double height = 0;
  };
  struct Block {
    Heading heading = Heading::kNone;
    std::string title;
    double gap = 0;  // a break's own gap; 0 for the usual one
    std::vector<Item> items;
    double title_width = 0;
    double title_height = 0;
    double name_width = 0;
    double value_width = 0;
    double unit_width = 0;
    double width = 0;
    double height = 0;
  };
  class Pass;

  void build_blocks();
  void measure(Block& block);
  void measure_table(Item& item);
  std::string fit(const std::string& text, double width) { return fit_text(surface_, text, width); }

  PrintSurface& surface_;
  const ParameterFieldList& fields_;
  std::vector<Block> blocks_;
  double line_height_ = 0;
  double equals_width_ = 0;
  double usable_width_ = 0;
  double usable_height_ = 0;
};

}  // namespace orvadw
