#include "ui/grid_table_model.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <QStringList>
#include <algorithm>

namespace orvadw {

GridTableModel::GridTableModel(GridTable* table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
  if (table_ != nullptr) {
    rows_ = table_->rows();
    columns_ = table_->columns();
    table_->add_observer(this);
  }
}

GridTableModel::~GridTableModel() {
  if (table_ != nullptr) table_->remove_observer(this);
}

int GridTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int GridTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

Qt::Alignment GridTableModel::to_qt(CellAlignment alignment) {
  switch (alignment) {
    case CellAlignment::kCentre:
      return Qt::AlignCenter;
    case CellAlignment::kRight:
      return Qt::AlignRight | Qt::AlignVCenter;
    case CellAlignment::kLeft:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

CellAlignment GridTableModel::from_qt(Qt::Alignment alignment) {
  if (alignment & Qt::AlignHCenter) return CellAlignment::kCentre;
  if (alignment & Qt::AlignRight) return CellAlignment::kRight;
  return CellAlignment::kLeft;
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
  if (table_ == nullptr || !index.isValid()) return {};
  const int row = index.row();
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(table_->cell(row, column));
    case Qt::TextAlignmentRole:
      return static_cast<int>(to_qt(table_->column_alignment(column)));
    case Qt::BackgroundRole:
      if (table_->is_fixed(row, column)) return QGuiApplication::palette().button();
      return {};
    default:
      return {};
  }
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (table_ == nullptr || orientation != Qt::Horizontal || section < 0 || section >= columns_) {
    return {};
  }
  switch (role) {
    case Qt::DisplayRole: {
      QStringList lines;
      const int fixed = std::min(table_->fixed_rows(), rows_);
      for (int row = 0; row < fixed; ++row) {
        lines << QString::fromStdString(table_->cell(row, section));
      }
      return lines.join(QLatin1Char('\n'));
    }
    case Qt::TextAlignmentRole:
      return static_cast<int>(to_qt(table_->column_alignment(section)));
    default:
      return {};
  }
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const {
  // Shown, never edited nor selected: the cells are the program's.
  return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void GridTableModel::grid_changed(const GridTable& grid, const GridChange& change) {
  switch (change.kind) {
    case GridChange::Kind::kCells:
      if (change.last >= change.first && columns_ > 0) {
        emit dataChanged(index(change.first, 0), index(change.last, columns_ - 1));
        if (change.first < grid.fixed_rows()) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
      }
      return;
    case GridChange::Kind::kRowsAdded:
      beginInsertRows({}, change.first, change.last);
      rows_ = grid.rows();
      endInsertRows();
      return;
    case GridChange::Kind::kRowsRemoved:
      beginRemoveRows({}, change.first, change.last);
      rows_ = grid.rows();
      endRemoveRows();
      return;
    case GridChange::Kind::kReset:
      beginResetModel();
      rows_ = grid.rows();
      columns_ = grid.columns();
      endResetModel();
      return;
    case GridChange::Kind::kLayout:
      if (rows_ > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
      if (columns_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
      emit layout_changed();
      return;
  }
}

void GridTableModel::grid_destroyed(const GridTable&) {
  beginResetModel();
  table_ = nullptr;
  rows_ = 0;
  columns_ = 0;
  endResetModel();
}

}  // namespace orvadw
