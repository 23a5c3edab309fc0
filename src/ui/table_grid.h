#pragma once
// The grid on screen: a read-only QTableView over a GridTable (the field's,
// or one of its own when it stands alone). Fixed rows and columns are drawn
// as headers; column widths and alignment follow the table.
#include <QTableView>
#include <memory>

#include "params/grid_table.h"
#include "ui/grid_view.h"

namespace orvadw {

class GridTableModel;

class TableGrid : public QTableView, public GridView {
  Q_OBJECT

 public:
  // table: the cells to show (not owned; must outlive the model's use of it,
  // or tell it with its destructor, as GridTable does). Null: the grid keeps
  // a table of its own.
  explicit TableGrid(GridTable* table = nullptr, QWidget* parent = nullptr);
  ~TableGrid() override;

  QWidget* widget() override { return this; }
  GridTable& table() override;
  GridTableModel* grid_model() const { return model_; }

  void set_dimensions(int rows, int columns) override;
  int rows() const override;
  int columns() const override;
  void set_fixed(int fixed_rows, int fixed_columns) override;
  int fixed_rows() const override;
  int fixed_columns() const override;
  void set_cell(int row, int column, const QString& text) override;
  QString cell(int row, int column) const override;
  void set_column_alignment(int column, Qt::Alignment alignment) override;
  Qt::Alignment column_alignment(int column) const override;
  void set_column_width(int column, int width) override;
  void set_flat(bool flat) override;

  // A short table asks for room to show every row and column; a long one
  // for kShownRows rows and a scroll bar.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  static constexpr int kShownRows = 12;

 private:
  QSize content_size(int max_rows) const;
  void apply_layout();
  const GridTable* shown() const;
  int shown_fixed_rows() const;

  std::unique_ptr<GridTable> own_;
  GridTableModel* model_ = nullptr;
};

}  // namespace orvadw
