#pragma once
// What a field of kind 0x1000 needs from its grid: fixed numbers of rows and
// columns (the first rows or columns may be fixed headers), column alignment
// and widths, a flat look, and cell texts by row and column.
#include <QString>
#include <QWidget>

namespace orvadw {

class GridView {
 public:
  virtual ~GridView();
  virtual QWidget* widget() = 0;

  virtual void set_dimensions(int rows, int columns) = 0;
  virtual int rows() const = 0;
  virtual int columns() const = 0;
  virtual void set_fixed(int fixed_rows, int fixed_columns) = 0;
  virtual int fixed_rows() const = 0;
  virtual int fixed_columns() const = 0;

  // Out-of-range cells are ignored (set) or "" (read).
  virtual void set_cell(int row, int column, const QString& text) = 0;
  virtual QString cell(int row, int column) const = 0;

  virtual void set_column_alignment(int column, Qt::Alignment alignment) = 0;
  virtual Qt::Alignment column_alignment(int column) const = 0;
  virtual void set_column_width(int column, int width) = 0;
  // Flat appearance without a border.
  virtual void set_flat(bool flat) = 0;
};

}  // namespace orvadw
