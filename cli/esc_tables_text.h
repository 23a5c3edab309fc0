#pragma once
// The ESC view's two tables as the command line prints them: for the
// reverse table, then the normal one, a title line with the polarity text,
// then the table (see print_grid).
#include <cstdint>
#include <iosfwd>
#include <span>

#include "params/parameter_field_list.h"

namespace orvadw::cli {

// fields: a field list of the ESC window; image: block 0xB00 as received or
// loaded.
void print_esc_tables(std::ostream& out, ParameterFieldList& fields,
                      std::span<const std::uint8_t> image);

}  // namespace orvadw::cli
