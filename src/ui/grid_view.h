#pragma once
// What a field of kind 0x1000 needs from its grid on screen. The cells live
// in a GridTable (the field's, or the grid's own when it stands alone); this
// interface reaches it with Qt types for the windows' convenience.
#include <QString>
#include <QWidget>

namespace orvadw {

class GridTable;

class GridView {
 public:
  virtual ~GridView();
  virtual QWidget* widget() = 0;
  // The cells shown; printing and export read them here or from the field.
  virtual GridTable& table() = 0;

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
