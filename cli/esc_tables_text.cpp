#include "cli/esc_tables_text.h"

#include <ostream>

#include "cli/grid_text.h"
#include "params/esc_tables.h"

namespace orvadw::cli {

void print_esc_tables(std::ostream& out, ParameterFieldList& fields,
                      std::span<const std::uint8_t> image) {
  EscTables tables(fields);
  tables.fill(image);
  for (EscTables::Polarity p : {EscTables::Polarity::kReverse, EscTables::Polarity::kNormal}) {
    const GridTable& grid = tables.grid(p);
    out << grid.cell(0, 0) << "\n";
    print_grid(out, grid);
  }
}

}  // namespace orvadw::cli
