#pragma once
// The cells of a tabular view, without widgets: rows of cell texts (UTF-8),
// the first rows and columns optionally fixed (headers), an alignment and a
// width per column and a flat look. A grid field (kind 0x1000) owns one, so
// that printing, export and the command line read the cells from the field
// list; the window's table is only a view of it.
//
// Reading a cell outside the table gives "", writing one is ignored: windows
// fill fixed-size tables by index and must not grow them by mistake. Rows are
// added and removed only through append_rows / remove_rows / set_dimensions.
//
// Observers hear of every change after it is made, with the rows (or
// columns) it touched, so that a view can refresh just those.
#include <string>
#include <vector>

namespace orvadw {

enum class CellAlignment { kLeft, kCentre, kRight };

class GridTable;

struct GridChange {
  enum class Kind {
    kCells,       // texts of rows first..last changed
    kRowsAdded,   // rows first..last are new
    kRowsRemoved, // rows first..last (before the change) are gone
    kReset,       // the number of columns changed, or everything did
    kLayout,      // fixed rows/columns, alignment, widths or the flat look
  };
  Kind kind = Kind::kReset;
  int first = 0;
  int last = -1;
};

class GridObserver {
 public:
  virtual ~GridObserver() = default;
  virtual void grid_changed(const GridTable& grid, const GridChange& change) = 0;
  // The table is going away (its field is destroyed before its view).
  virtual void grid_destroyed(const GridTable& /*grid*/) {}
};

class GridTable {
 public:
  GridTable() = default;
  GridTable(int rows, int columns);
  ~GridTable();
  GridTable(const GridTable&) = delete;
  GridTable& operator=(const GridTable&) = delete;

  // New row and column counts (negative counts as 0). Cells inside both the
  // old and the new size keep their texts; columns keep their layout.
  void set_dimensions(int rows, int columns);
  int rows() const { return static_cast<int>(cells_.size()); }
  int columns() const { return columns_; }

  // The first fixed_rows rows and fixed_columns columns are headers.
  void set_fixed(int fixed_rows, int fixed_columns);
  int fixed_rows() const { return fixed_rows_; }
  int fixed_columns() const { return fixed_columns_; }
  bool is_fixed(int row, int column) const { return row < fixed_rows_ || column < fixed_columns_; }

  // Out of range: ignored (set) or "" (read).
  void set_cell(int row, int column, const std::string& text);
  const std::string& cell(int row, int column) const;
  // The texts of one row (empty for a row out of range).
  std::vector<std::string> row(int row) const;
  // Sets the first cells of a row from texts (extra texts are ignored, the
  // remaining cells are left as they are).
  void set_row(int row, const std::vector<std::string>& texts);
  // Empties every cell of the rows from first on (headers included when
  // first is 0); the table keeps its size.
  void clear_rows(int first = 0);

  // Adds count empty rows at the end; returns the index of the first.
  int append_rows(int count = 1);
  // Appends one row holding texts; returns its index.
  int append_row(const std::vector<std::string>& texts);
  // Removes count rows from first on (what lies outside the table is
  // ignored).
  void remove_rows(int first, int count = 1);

  void set_column_alignment(int column, CellAlignment alignment);
  CellAlignment column_alignment(int column) const;
  // Widths in screen pixels as the window's template gives them; 0 means
  // "whatever fits".
  void set_column_width(int column, int width);
  int column_width(int column) const;
  // Flat appearance without a border.
  void set_flat(bool flat);
  bool flat() const { return flat_; }

  // The rows that hold at least one non-empty cell below the fixed rows, in
  // order: what a print or an export lists.
  std::vector<int> filled_rows() const;

  void add_observer(GridObserver* observer);
  void remove_observer(GridObserver* observer);

 private:
  struct Column {
    CellAlignment alignment = CellAlignment::kLeft;
    int width = 0;
  };

  bool inside(int row, int column) const;
  void notify(GridChange::Kind kind, int first, int last);

  std::vector<std::vector<std::string>> cells_;
  int columns_ = 0;
  std::vector<Column> layout_;
  int fixed_rows_ = 0;
  int fixed_columns_ = 0;
  bool flat_ = false;
  std::vector<GridObserver*> observers_;
};

}  // namespace orvadw
