#include "ui/table_grid.h"

#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

#include "ui/grid_table_model.h"

namespace orvadw {

GridView::~GridView() = default;

TableGrid::TableGrid(GridTable* table, QWidget* parent) : QTableView(parent) {
  if (table == nullptr) {
    own_ = std::make_unique<GridTable>();
    table = own_.get();
  }
  model_ = new GridTableModel(table, this);
  setModel(model_);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::NoSelection);
  setFocusPolicy(Qt::NoFocus);
  // The fixed rows are shown as the columns' header (see apply_layout).
  horizontalHeader()->hide();
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->hide();
  // Rows as high as a line of text, not the style's roomy default.
  verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 2);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  connect(model_, &GridTableModel::layout_changed, this, &TableGrid::apply_layout);
  connect(model_, &QAbstractItemModel::modelReset, this, &TableGrid::apply_layout);
  // New texts or rows change the room the table asks for.
  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
    connect(model_, signal, this, [this] {
      apply_layout();
      updateGeometry();
    });
  }
  connect(model_, &QAbstractItemModel::dataChanged, this, [this] { updateGeometry(); });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { updateGeometry(); });
  apply_layout();
}

TableGrid::~TableGrid() {
  // The model observes the table; it goes first while the table is alive.
  setModel(nullptr);
  delete model_;
  model_ = nullptr;
}

GridTable& TableGrid::table() {
  GridTable* t = model_ != nullptr ? model_->table() : nullptr;
  // Once the field's table has gone, writes land in an empty table of the
  // view's own that nothing shows.
  if (t != nullptr) return *t;
  if (!own_) own_ = std::make_unique<GridTable>();
  return *own_;
}

int TableGrid::shown_fixed_rows() const {
  const GridTable* t = shown();
  return t != nullptr ? std::min(t->fixed_rows(), t->rows()) : 0;
}

const GridTable* TableGrid::shown() const { return model_ != nullptr ? model_->table() : nullptr; }

void TableGrid::apply_layout() {
  const GridTable* t = shown();
  if (t == nullptr) return;
  // A column without a width of its own follows its texts.
  QHeaderView* header = horizontalHeader();
  for (int c = 0; c < t->columns(); ++c) {
    if (t->column_width(c) > 0) {
      header->setSectionResizeMode(c, QHeaderView::Interactive);
      setColumnWidth(c, t->column_width(c));
    } else {
      header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
  }
  setFrameShape(t->flat() ? QFrame::NoFrame : QFrame::StyledPanel);
  // Fixed rows stand in the header, so that they stay in sight while the
  // other rows scroll; the table itself keeps them as its first rows.
  const int fixed = shown_fixed_rows();
  header->setVisible(fixed > 0);
  for (int r = 0; r < t->rows(); ++r) setRowHidden(r, r < fixed);
}

QSize TableGrid::content_size(int max_rows) const {
  const int frame = 2 * frameWidth();
  QSize size(frame, frame);
  const int rows = model_ != nullptr ? model_->rowCount() : 0;
  const int columns = model_ != nullptr ? model_->columnCount() : 0;
  for (int c = 0; c < columns; ++c) size.rwidth() += columnWidth(c);
  int shown = 0;
  if (!horizontalHeader()->isHidden()) {
    size.rheight() += horizontalHeader()->sizeHint().height();
    shown = std::min(rows, shown_fixed_rows());
  }
  for (int r = shown; r < rows && r < max_rows; ++r) size.rheight() += rowHeight(r);
  if (rows > max_rows) size.rwidth() += verticalScrollBar()->sizeHint().width();
  return size;
}

QSize TableGrid::sizeHint() const {
  return content_size(kShownRows).expandedTo(QSize(64, 32));
}

QSize TableGrid::minimumSizeHint() const { return sizeHint(); }

void TableGrid::set_dimensions(int rows, int columns) { table().set_dimensions(rows, columns); }
int TableGrid::rows() const { return shown() != nullptr ? shown()->rows() : 0; }
int TableGrid::columns() const { return shown() != nullptr ? shown()->columns() : 0; }
void TableGrid::set_fixed(int fixed_rows, int fixed_columns) {
  table().set_fixed(fixed_rows, fixed_columns);
}
int TableGrid::fixed_rows() const { return shown() != nullptr ? shown()->fixed_rows() : 0; }
int TableGrid::fixed_columns() const { return shown() != nullptr ? shown()->fixed_columns() : 0; }

void TableGrid::set_cell(int row, int column, const QString& text) {
  table().set_cell(row, column, text.toStdString());
}

QString TableGrid::cell(int row, int column) const {
  return shown() != nullptr ? QString::fromStdString(shown()->cell(row, column)) : QString();
}

void TableGrid::set_column_alignment(int column, Qt::Alignment alignment) {
  table().set_column_alignment(column, GridTableModel::from_qt(alignment));
}

Qt::Alignment TableGrid::column_alignment(int column) const {
  return GridTableModel::to_qt(shown() != nullptr ? shown()->column_alignment(column)
                                                  : CellAlignment::kLeft);
}

void TableGrid::set_column_width(int column, int width) { table().set_column_width(column, width); }

void TableGrid::set_flat(bool flat) { table().set_flat(flat); }

}  // namespace orvadw
