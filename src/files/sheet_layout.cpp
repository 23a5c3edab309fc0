#include "files/sheet_layout.h"

#include <algorithm>

#include "base/c_locale.h"
#include "params/chart_series.h"
#include "params/grid_table.h"

namespace orvadw {

namespace {

constexpr double kLeftMargin = 10;
constexpr double kRightMargin = 10;
constexpr double kBottomMargin = 20;
constexpr double kPageTop = 10;
constexpr double kBlockGap = 20;   // between blocks side by side, and between rows
constexpr double kLineGap = 2;     // below every line
constexpr double kBlockSlack = 5;  // added to a block's width
constexpr double kUnitGap = 4;     // between a value and its unit
constexpr double kCellGap = 8;     // between table columns
constexpr double kFitSlack = 0.01;
constexpr int kBold = 700;
constexpr int kNormal = 0;
// Lines are placed exactly where the layout says.
constexpr int kAtPosition = print_flag::kTop | print_flag::kLeft | print_flag::kNoAnchor;
constexpr const char* kEquals = " = ";
constexpr const char* kEllipsis = "\xE2\x80\xA6";

bool is_continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string fit_text(PrintSurface& surface, const std::string& text, double width) {
  // Widths come back from sums of measured widths: allow their rounding.
  width += kFitSlack;
  if (text.empty() || surface.text_size(text).width <= width) return text;
  // The longest prefix of whole characters that fits with the ellipsis.
  std::vector<std::size_t> ends;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (!is_continuation(text[i])) ends.push_back(i);
  }
  std::size_t low = 0;  // prefixes ends[0..low) are known to fit
  std::size_t high = ends.size();
  while (low < high) {
    const std::size_t mid = (low + high) / 2;
    if (surface.text_size(text.substr(0, ends[mid]) + kEllipsis).width <= width) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  if (low == 0) return surface.text_size(kEllipsis).width <= width ? kEllipsis : std::string();
  return text.substr(0, ends[low - 1]) + kEllipsis;
}

SheetLayout::Heading SheetLayout::heading_of(const ParameterField& field) {
  const std::uint32_t k = field.descriptor().kind;
  if (k & kind::kFrame) return Heading::kGroup;
  if (k & kind::kHeading) return Heading::kSection;
  if (k & kind::kBreak) return Heading::kColumn;
  if (k & kind::kPrintBlock) return Heading::kRow;
  return Heading::kNone;
}

// Hidden on screen is not left out on paper: the rules that hide a field
// from the sheet also mark it not printed (show_on_page), and the
// differences list's unit-number and signature lines exist only on paper.
bool SheetLayout::is_on_sheet(const ParameterField& field) {
  return field.is_printed() && !field.is_hidden_value();
}

SheetLayout::SheetLayout(PrintSurface& surface, const ParameterFieldList& fields)
    : surface_(surface), fields_(fields) {}

void SheetLayout::build_blocks() {
  blocks_.clear();
  blocks_.emplace_back();
  for (const ParameterField& field : fields_) {
    if (!is_on_sheet(field)) continue;
    const Heading heading = heading_of(field);
    if (heading != Heading::kNone) {
      Block block;
      block.heading = heading;
      block.title = field.label_text();
      // A break may carry its own gap in its spare column.
      block.gap = std::max(0, field.descriptor().spare);
      blocks_.push_back(std::move(block));
      continue;
    }
    Item item;
    if (field.grid() != nullptr) {
      item.kind = Item::Kind::kTable;
      item.table = field.grid();
    } else if (field.chart() != nullptr) {
      item.kind = Item::Kind::kChart;
      item.chart = field.chart();
      item.name = field.label_text();
      const std::string unit = field.unit_text();
      if (!unit.empty()) item.name += " (" + unit + ")";
    } else {
      item.name = field.label_text();
      item.value = field.value_text();
      item.unit = field.unit_text();
    }
    blocks_.back().items.push_back(std::move(item));
  }
  // A first block with neither heading nor fields takes no place.
  if (blocks_.front().items.empty()) blocks_.erase(blocks_.begin());
}

void SheetLayout::measure_table(Item& item) {
  const GridTable& grid = *item.table;
  item.rows.clear();
  for (int r = 0; r < std::min(grid.fixed_rows(), grid.rows()); ++r) item.rows.push_back(r);
  for (int r : grid.filled_rows()) item.rows.push_back(r);
  item.column_width.assign(static_cast<std::size_t>(std::max(0, grid.columns())), 0);
  for (int r : item.rows) {
    const bool header = r < grid.fixed_rows();
    if (header) surface_.set_font_style(kBold, false);
    for (int c = 0; c < grid.columns(); ++c) {
      double& w = item.column_width[static_cast<std::size_t>(c)];
      w = std::max(w, surface_.text_size(grid.cell(r, c)).width);
    }
    if (header) surface_.set_font_style(kNormal, false);
  }
  item.width = 0;
  for (double& w : item.column_width) {
    w += kCellGap;
    item.width += w;
  }
  item.height = static_cast<double>(item.rows.size()) * (line_height_ + kLineGap);
}

void SheetLayout::measure(Block& block) {
  if (!block.title.empty()) {
    surface_.set_font_style(kBold, true);
    const PrintSize title = surface_.text_size(block.title);
    surface_.set_font_style(kNormal, false);
    block.title_width = title.width;
    block.title_height = title.height + kLineGap;
  }
  bool has_line = false;
  double other_width = 0;
  block.height = 0;
  for (Item& item : block.items) {
    switch (item.kind) {
      case Item::Kind::kLine:
        has_line = true;
        block.name_width = std::max(block.name_width, surface_.text_size(item.name).width);
        block.value_width = std::max(block.value_width, surface_.text_size(item.value).width);
        block.unit_width = std::max(block.unit_width, surface_.text_size(item.unit).width);
        item.height = line_height_ + kLineGap;
        break;
      case Item::Kind::kTable:
        measure_table(item);
        other_width = std::max(other_width, item.width);
        break;
      case Item::Kind::kChart:
        item.width = std::max(kChartWidth, surface_.text_size(item.name).width);
        item.height = line_height_ + kLineGap + kChartHeight + kLineGap;
        other_width = std::max(other_width, item.width);
        break;
    }
    block.height += item.height;
  }
  double line_width = 0;
  if (has_line) {
    line_width = equals_width_ + block.name_width + block.value_width + kBlockSlack;
    if (block.unit_width > 0) line_width += kUnitGap + block.unit_width;
  }
  block.width = std::max(line_width, other_width);
  // Nothing is wider than a page; what does not fit is cut when printed.
  block.width = std::min(block.width, usable_width_ - kLeftMargin);
}

// One pass over the blocks: the cursor, the row being filled and the page.
class SheetLayout::Pass {
 public:
  Pass(SheetLayout& layout, int total_pages, double top)
      : l_(layout),
        s_(layout.surface_),
        total_(total_pages),
        printing_(total_pages > 0),
        row_top_(top),
        row_bottom_(top),
        y_(top) {}

  int run() {
    for (const Block& block : l_.blocks_) {
      place(block);
      if (failed_) return -1;
    }
    page_break();
    return failed_ ? -1 : page_;
  }

 private:
  double right() const { return l_.usable_width_; }
  double bottom() const { return l_.usable_height_; }

  void text(double x, double y, const std::string& t) {
    if (t.empty()) return;
    s_.print_text(x, y, t, kAtPosition, printing_);
    page_has_content_ = true;
  }

  void page_break() {
    if (printing_) {
      s_.print_text(0, 0, c_format("%i/%i", page_, total_), kPageNumberFlags, true);
      if (page_ < total_ && !s_.new_page()) failed_ = true;
    }
    ++page_;
    y_ = kPageTop;
    row_top_ = row_bottom_ = kPageTop;
    page_has_content_ = false;
  }

  // A new row below everything placed in the current one.
  void new_row(double gap) {
    if (row_has_blocks_ || page_has_content_) row_top_ = row_bottom_ + gap;
    x_ = kLeftMargin;
    y_ = row_top_;
    row_has_blocks_ = false;
    previous_extent_ = 0;
  }

  // Before a block of that height placed at the row's top: the next page
  // when it would pass the bottom (unless the page is still empty).
  void keep_on_page(double needed, double at) {
    if (at + needed > bottom() && page_has_content_) {
      page_break();
      x_ = kLeftMargin;
      row_has_blocks_ = false;
      previous_extent_ = 0;
    }
  }

  void place(const Block& b) {
    const double needed = b.title_height + b.height;
    const double extent = std::max(b.width, b.title_width);
    switch (b.heading) {
      case Heading::kGroup:
      case Heading::kColumn: {
        const double gap = (b.heading == Heading::kColumn && b.gap > 0) ? b.gap : kBlockGap;
        if (row_has_blocks_) {
          x_ += previous_extent_ + gap;
          if (x_ + extent > right()) new_row(kBlockGap);
        }
        keep_on_page(needed, row_top_);
        y_ = row_top_;
        break;
      }
      case Heading::kSection:
        new_row(kBlockGap);
        keep_on_page(needed, row_top_);
        y_ = row_top_;
        break;
      case Heading::kRow:
        new_row(b.gap > 0 ? b.gap : kBlockGap);
        keep_on_page(needed, row_top_);
        y_ = row_top_;
        break;
      case Heading::kNone:
        // Continues where the cursor is.
        keep_on_page(needed, y_);
        break;
    }
    if (!b.title.empty()) {
      s_.set_font_style(kBold, true);
      text(x_, y_, l_.fit(b.title, right() - x_));
      s_.set_font_style(kNormal, false);
      y_ += b.title_height;
    }
    for (const Item& item : b.items) {
      switch (item.kind) {
        case Item::Kind::kLine:
          line(b, item);
          break;
        case Item::Kind::kTable:
          table(item);
          break;
        case Item::Kind::kChart:
          chart(item);
          break;
      }
      if (failed_) return;
    }
    row_bottom_ = std::max(row_bottom_, y_);
    previous_extent_ = extent;
    row_has_blocks_ = true;
  }

  // Before one line of that height: the next page when it would pass the
  // bottom; the block goes on at the same x.
  void room_for(double height) {
    if (y_ + height > bottom() && page_has_content_) page_break();
  }

  void line(const Block& b, const Item& item) {
    room_for(l_.line_height_);
    const double equals_x = x_ + b.name_width;
    const double value_x = equals_x + l_.equals_width_;
    const double unit_room = item.unit.empty() ? 0 : kUnitGap + s_.text_size(item.unit).width;
    text(x_, y_, l_.fit(item.name, right() - x_));
    if (!item.name.empty() && equals_x < right()) text(equals_x, y_, kEquals);
    text(value_x, y_, l_.fit(item.value, right() - value_x - unit_room));
    const double unit_x =
        std::min(value_x + b.value_width + kUnitGap, right() - unit_room + kUnitGap);
    text(unit_x, y_, item.unit);
    y_ += l_.line_height_ + kLineGap;
  }

  // The columns' widths within the room left on the line: when the table
  // is too wide, the widest columns give way first.
  std::vector<double> column_widths(const Item& item) const {
    std::vector<double> widths = item.column_width;
    const double room = right() - x_;
    if (item.width <= room || widths.empty()) return widths;
    std::vector<double> sorted = widths;
    std::sort(sorted.begin(), sorted.end());
    double left = room;
    double cap = sorted.back();
    for (std::size_t i = 0; i < sorted.size(); ++i) {
      const double share = left / static_cast<double>(sorted.size() - i);
      if (sorted[i] > share) {
        cap = share;
        break;
      }
      left -= sorted[i];
    }
    for (double& w : widths) w = std::min(w, cap);
    return widths;
  }

  void table_row(const Item& item, int r, const std::vector<double>& widths) {
    const GridTable& grid = *item.table;
    const bool header = r < grid.fixed_rows();
    if (header) s_.set_font_style(kBold, false);
    double cx = x_;
    for (int c = 0; c < grid.columns(); ++c) {
      const double w = widths[static_cast<std::size_t>(c)];
      const std::string cell = l_.fit(grid.cell(r, c), w - kCellGap);
      const double tw = s_.text_size(cell).width;
      double at = cx;
      switch (grid.column_alignment(c)) {
        case CellAlignment::kLeft:
          break;
        case CellAlignment::kCentre:
          at = cx + (w - kCellGap - tw) / 2;
          break;
        case CellAlignment::kRight:
          at = cx + w - kCellGap - tw;
          break;
      }
      text(at, y_, cell);
      cx += w;
    }
    if (header) s_.set_font_style(kNormal, false);
    y_ += l_.line_height_ + kLineGap;
  }

  void table(const Item& item) {
    const std::vector<double> widths = column_widths(item);
    for (int r : item.rows) {
      if (y_ + l_.line_height_ > bottom() && page_has_content_) {
        page_break();
        // The header rows again at the top of the new page.
        for (int h : item.rows) {
          if (h >= item.table->fixed_rows() || h == r) break;
          table_row(item, h, widths);
        }
      }
      table_row(item, r, widths);
    }
  }

  void chart(const Item& item) {
    room_for(item.height);
    text(x_, y_, l_.fit(item.name, right() - x_));
    y_ += l_.line_height_ + kLineGap;
    const double w = std::min(kChartWidth, right() - x_);
    if (printing_) s_.draw_chart(*item.chart, x_, y_, w, kChartHeight);
    page_has_content_ = true;
    y_ += kChartHeight + kLineGap;
  }

  SheetLayout& l_;
  PrintSurface& s_;
  int total_;
  bool printing_;
  int page_ = 1;
  bool failed_ = false;
  double x_ = kLeftMargin;
  double row_top_;
  double row_bottom_;
  double y_;
  double previous_extent_ = 0;
  bool row_has_blocks_ = false;
  bool page_has_content_ = false;
};

int SheetLayout::print_list(int total_pages, double top) {
  const PrintSize page = surface_.page_size();
  usable_width_ = page.width - kRightMargin;
  usable_height_ = page.height - kBottomMargin;
  const PrintSize equals = surface_.text_size(kEquals);
  equals_width_ = equals.width;
  line_height_ = equals.height;
  build_blocks();
  for (Block& block : blocks_) measure(block);
  return Pass(*this, total_pages, top).run();
}

int SheetLayout::print(double top) {
  const int counted = print_list(0, top);
  if (counted < 0) return -1;
  const int pages = counted - 1;
  return print_list(pages, top) < 0 ? -1 : pages;
}

}  // namespace orvadw
