#pragma once
// A field list that is one grid under a header row, as a comparison or a
// long table prints: rows made by a function of their number (1 first).
// Header-only: the folders whose tests include it link the params layer.
#include <functional>
#include <string>
#include <vector>

#include "base/text_table.h"
#include "params/grid_table.h"
#include "params/parameter_field_list.h"

namespace orvadw::test {

inline ParameterFieldList grid_field_list(
    int rows, const std::vector<std::string>& header,
    const std::function<std::vector<std::string>(int row)>& row) {
  ParameterFieldList list(kEnglish);
  ParameterDescriptor grid;
  grid.control_id = 5000;
  grid.kind = kind::kGrid;
  list.add(grid);
  GridTable& table = *list.field(grid.control_id)->grid();
  table.set_dimensions(rows + 1, static_cast<int>(header.size()));
  table.set_fixed(1, 0);
  table.set_row(0, header);
  for (int r = 1; r <= rows; ++r) table.set_row(r, row(r));
  return list;
}

}  // namespace orvadw::test
