#pragma once
// The differences dialog's content below Qt: the names of the two sources,
// the unit-number and signature lines that only the printed copy shows, and
// the list of differing fields in its grid field (1292): a header row, then
// one row per difference with the label, the reference (file) value, the
// actual value and the unit, all left-aligned. Printing reads the same
// fields and cells.
#include <string>

#include "params/field_comparison.h"
#include "params/grid_table.h"
#include "params/parameter_field_list.h"

namespace orvadw {

class DifferencesSheet {
 public:
  static constexpr int kUnitNumberLine = 1253;
  static constexpr int kSignatureLine = 1258;
  static constexpr int kReferenceName = 1174;
  static constexpr int kActualName = 1172;
  static constexpr int kGridControl = 1292;
  static constexpr int kColumns = 4;

  // fields: the differences window's field list (the dialog's, or one made
  // from differences_window()); it must outlive this object. The hidden
  // lines get their texts and the grid its header row.
  explicit DifferencesSheet(ParameterFieldList& fields);

  // The sources' names (see comparison_source_name) and one row per
  // difference, in the comparison's order; earlier rows go.
  void fill(const FieldComparison& comparison, const std::string& reference_name,
            const std::string& actual_name);

  GridTable& grid() { return *grid_; }
  const GridTable& grid() const { return *grid_; }
  // Rows below the header.
  int difference_count() const { return grid_->rows() - 1; }

 private:
  void set_text(int control_id, const std::string& text);

  ParameterFieldList& fields_;
  GridTable* grid_;
};

}  // namespace orvadw
