#pragma once
// A GridTable seen through Qt's item model: one item per cell, read-only,
// with the column's alignment and the header look for fixed cells. Changes
// to the table reach the views as the matching model signals. The table may
// go before the model (the field list is destroyed before the window's
// widgets); the model then shows nothing.
#include <QAbstractTableModel>

#include "params/grid_table.h"

namespace orvadw {

class GridTableModel : public QAbstractTableModel, public GridObserver {
  Q_OBJECT

 public:
  explicit GridTableModel(GridTable* table, QObject* parent = nullptr);
  ~GridTableModel() override;

  GridTable* table() const { return table_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // The fixed rows' texts, one line each, as the columns' header: the view
  // shows them there so that they stay in sight while the rows scroll.
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  void grid_changed(const GridTable& grid, const GridChange& change) override;
  void grid_destroyed(const GridTable& grid) override;

  static Qt::Alignment to_qt(CellAlignment alignment);
  static CellAlignment from_qt(Qt::Alignment alignment);

 signals:
  // Fixed rows or columns, widths, alignment or the flat look changed.
  void layout_changed();

 private:
  GridTable* table_;
  // The sizes the views were last told: a row change is announced after the
  // table has made it.
  int rows_ = 0;
  int columns_ = 0;
};

}  // namespace orvadw
