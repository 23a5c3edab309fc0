#pragma once
// A grid field's cells as the command line prints them: the header row,
// then every row that holds something, one line each, cells separated by a
// tab.
#include <iosfwd>

#include "params/grid_table.h"

namespace orvadw::cli {

void print_grid(std::ostream& out, const GridTable& grid);

}  // namespace orvadw::cli
