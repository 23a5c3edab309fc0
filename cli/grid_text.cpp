#include "cli/grid_text.h"

#include <ostream>

namespace orvadw::cli {

namespace {
void print_row(std::ostream& out, const std::vector<std::string>& cells) {
  for (std::size_t c = 0; c < cells.size(); ++c) out << (c ? "\t" : "") << cells[c];
  out << "\n";
}
}  // namespace

void print_grid(std::ostream& out, const GridTable& grid) {
  print_row(out, grid.row(0));
  for (int row : grid.filled_rows()) print_row(out, grid.row(row));
}

}  // namespace orvadw::cli
