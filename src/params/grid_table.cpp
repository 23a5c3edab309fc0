#include "params/grid_table.h"

#include <algorithm>

namespace orvadw {

namespace {
const std::string kNoText;
}  // namespace

GridTable::GridTable(int rows, int columns) { set_dimensions(rows, columns); }

GridTable::~GridTable() {
  auto copy = observers_;
  for (auto* o : copy) o->grid_destroyed(*this);
}

bool GridTable::inside(int row, int column) const {
  return row >= 0 && column >= 0 && row < rows() && column < columns_;
}

void GridTable::set_dimensions(int rows, int columns) {
  rows = std::max(rows, 0);
  columns = std::max(columns, 0);
  const int old_rows = this->rows();
  const bool columns_changed = columns != columns_;
  if (columns_changed) {
    for (auto& r : cells_) r.resize(static_cast<std::size_t>(columns));
    layout_.resize(static_cast<std::size_t>(columns));
    columns_ = columns;
  }
  cells_.resize(static_cast<std::size_t>(rows), std::vector<std::string>(static_cast<std::size_t>(columns_)));
  if (columns_changed) {
    notify(GridChange::Kind::kReset, 0, rows - 1);
  } else if (rows > old_rows) {
    notify(GridChange::Kind::kRowsAdded, old_rows, rows - 1);
  } else if (rows < old_rows) {
    notify(GridChange::Kind::kRowsRemoved, rows, old_rows - 1);
  }
}

void GridTable::set_fixed(int fixed_rows, int fixed_columns) {
  fixed_rows_ = std::max(fixed_rows, 0);
  fixed_columns_ = std::max(fixed_columns, 0);
  notify(GridChange::Kind::kLayout, 0, -1);
}

void GridTable::set_cell(int row, int column, const std::string& text) {
  if (!inside(row, column)) return;
  std::string& cell = cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  if (cell == text) return;
  cell = text;
  notify(GridChange::Kind::kCells, row, row);
}

const std::string& GridTable::cell(int row, int column) const {
  if (!inside(row, column)) return kNoText;
  return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

std::vector<std::string> GridTable::row(int row) const {
  if (row < 0 || row >= rows()) return {};
  return cells_[static_cast<std::size_t>(row)];
}

void GridTable::set_row(int row, const std::vector<std::string>& texts) {
  if (row < 0 || row >= rows()) return;
  auto& cells = cells_[static_cast<std::size_t>(row)];
  const std::size_t n = std::min(texts.size(), cells.size());
  if (std::equal(texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(n), cells.begin())) return;
  std::copy(texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(n), cells.begin());
  notify(GridChange::Kind::kCells, row, row);
}

void GridTable::clear_rows(int first) {
  first = std::max(first, 0);
  if (first >= rows()) return;
  for (std::size_t r = static_cast<std::size_t>(first); r < cells_.size(); ++r) {
    for (auto& cell : cells_[r]) cell.clear();
  }
  notify(GridChange::Kind::kCells, first, rows() - 1);
}

int GridTable::append_rows(int count) {
  const int first = rows();
  if (count <= 0) return first;
  cells_.resize(cells_.size() + static_cast<std::size_t>(count),
                std::vector<std::string>(static_cast<std::size_t>(columns_)));
  notify(GridChange::Kind::kRowsAdded, first, rows() - 1);
  return first;
}

int GridTable::append_row(const std::vector<std::string>& texts) {
  std::vector<std::string> cells(static_cast<std::size_t>(columns_));
  std::copy_n(texts.begin(), std::min(texts.size(), cells.size()), cells.begin());
  cells_.push_back(std::move(cells));
  const int index = rows() - 1;
  notify(GridChange::Kind::kRowsAdded, index, index);
  return index;
}

void GridTable::remove_rows(int first, int count) {
  if (first < 0) {
    count += first;
    first = 0;
  }
  count = std::min(count, rows() - first);
  if (count <= 0) return;
  cells_.erase(cells_.begin() + first, cells_.begin() + first + count);
  notify(GridChange::Kind::kRowsRemoved, first, first + count - 1);
}

void GridTable::set_column_alignment(int column, CellAlignment alignment) {
  if (column < 0 || column >= columns_) return;
  layout_[static_cast<std::size_t>(column)].alignment = alignment;
  notify(GridChange::Kind::kLayout, column, column);
}

CellAlignment GridTable::column_alignment(int column) const {
  if (column < 0 || column >= columns_) return CellAlignment::kLeft;
  return layout_[static_cast<std::size_t>(column)].alignment;
}

void GridTable::set_column_width(int column, int width) {
  if (column < 0 || column >= columns_) return;
  layout_[static_cast<std::size_t>(column)].width = std::max(width, 0);
  notify(GridChange::Kind::kLayout, column, column);
}

int GridTable::column_width(int column) const {
  if (column < 0 || column >= columns_) return 0;
  return layout_[static_cast<std::size_t>(column)].width;
}

void GridTable::set_flat(bool flat) {
  flat_ = flat;
  notify(GridChange::Kind::kLayout, 0, -1);
}

std::vector<int> GridTable::filled_rows() const {
  std::vector<int> out;
  for (int r = fixed_rows_; r < rows(); ++r) {
    const auto& cells = cells_[static_cast<std::size_t>(r)];
    const bool any = std::any_of(cells.begin() + std::min<std::ptrdiff_t>(fixed_columns_, columns_),
                                 cells.end(), [](const std::string& c) { return !c.empty(); });
    if (any) out.push_back(r);
  }
  return out;
}

void GridTable::add_observer(GridObserver* observer) {
  if (observer != nullptr && std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void GridTable::remove_observer(GridObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

// Observers may leave while being told: walk a copy.
void GridTable::notify(GridChange::Kind kind, int first, int last) {
  const GridChange change{kind, first, last};
  auto copy = observers_;
  for (auto* o : copy) o->grid_changed(*this, change);
}

}  // namespace orvadw
