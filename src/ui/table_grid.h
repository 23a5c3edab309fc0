#pragma once
// The grid on a QTableWidget: read-only cells, fixed rows and columns drawn
// as headers.
#include <QTableWidget>
#include <QVector>

#include "ui/grid_view.h"

namespace orvadw {

class TableGrid : public QTableWidget, public GridView {
 public:
  explicit TableGrid(QWidget* parent = nullptr);

  QWidget* widget() override { return this; }
  void set_dimensions(int rows, int columns) override;
  int rows() const override { return rowCount(); }
  int columns() const override { return columnCount(); }
  void set_fixed(int fixed_rows, int fixed_columns) override;
  int fixed_rows() const override { return fixed_rows_; }
  int fixed_columns() const override { return fixed_columns_; }
  void set_cell(int row, int column, const QString& text) override;
  QString cell(int row, int column) const override;
  void set_column_alignment(int column, Qt::Alignment alignment) override;
  Qt::Alignment column_alignment(int column) const override;
  void set_column_width(int column, int width) override;
  void set_flat(bool flat) override;

 private:
  QTableWidgetItem* item_at(int row, int column);
  void style_cell(int row, int column);

  int fixed_rows_ = 0;
  int fixed_columns_ = 0;
  QVector<Qt::Alignment> alignments_;
};

}  // namespace orvadw
