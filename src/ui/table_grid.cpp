#include "ui/table_grid.h"

#include <QHeaderView>

namespace orvadw {

GridView::~GridView() = default;

TableGrid::TableGrid(QWidget* parent) : QTableWidget(parent) {
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::NoSelection);
  horizontalHeader()->hide();
  verticalHeader()->hide();
}

void TableGrid::set_dimensions(int rows, int columns) {
  rows = std::max(rows, 0);
  columns = std::max(columns, 0);
  setRowCount(rows);
  setColumnCount(columns);
  alignments_.resize(columns, Qt::AlignLeft | Qt::AlignVCenter);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) style_cell(r, c);
  }
}

void TableGrid::set_fixed(int fixed_rows, int fixed_columns) {
  fixed_rows_ = std::max(fixed_rows, 0);
  fixed_columns_ = std::max(fixed_columns, 0);
  for (int r = 0; r < rowCount(); ++r) {
    for (int c = 0; c < columnCount(); ++c) style_cell(r, c);
  }
}

QTableWidgetItem* TableGrid::item_at(int row, int column) {
  if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return nullptr;
  QTableWidgetItem* cell_item = item(row, column);
  if (cell_item == nullptr) {
    cell_item = new QTableWidgetItem;
    cell_item->setFlags(Qt::ItemIsEnabled);
    setItem(row, column, cell_item);
  }
  return cell_item;
}

void TableGrid::style_cell(int row, int column) {
  QTableWidgetItem* cell_item = item_at(row, column);
  if (cell_item == nullptr) return;
  cell_item->setTextAlignment(alignments_.value(column, Qt::AlignLeft | Qt::AlignVCenter));
  const bool fixed = row < fixed_rows_ || column < fixed_columns_;
  cell_item->setBackground(fixed ? palette().button() : QBrush());
}

void TableGrid::set_cell(int row, int column, const QString& text) {
  if (QTableWidgetItem* cell_item = item_at(row, column)) cell_item->setText(text);
}

QString TableGrid::cell(int row, int column) const {
  if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return {};
  const QTableWidgetItem* cell_item = item(row, column);
  return cell_item != nullptr ? cell_item->text() : QString();
}

void TableGrid::set_column_alignment(int column, Qt::Alignment alignment) {
  if (column < 0 || column >= columnCount()) return;
  alignments_[column] = alignment;
  for (int r = 0; r < rowCount(); ++r) style_cell(r, column);
}

Qt::Alignment TableGrid::column_alignment(int column) const {
  return alignments_.value(column, Qt::AlignLeft | Qt::AlignVCenter);
}

void TableGrid::set_column_width(int column, int width) {
  if (column < 0 || column >= columnCount()) return;
  setColumnWidth(column, width);
}

void TableGrid::set_flat(bool flat) {
  setFrameShape(flat ? QFrame::NoFrame : QFrame::StyledPanel);
  setShowGrid(true);
}

}  // namespace orvadw
