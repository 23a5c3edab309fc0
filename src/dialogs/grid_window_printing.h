#pragma once
// Printing of the two grid windows: the differences list of a comparison
// and the ESC information. Each prints the window's field list, rows and
// grid cells as they stand, under the window's title. The differences sheet
// also prints its unit-number and signature lines, which are hidden on
// screen (presentation 16) but not left out of the printed copy (they are
// not marked 1 or 2).
//
// ask_printer: false in the read-and-print mode (the default printer, no
// dialog). 0 when printed; -1 when nothing was printed.
#include "params/parameter_field_list.h"

namespace orvadw {

class DialogRoot;

int print_differences_sheet(DialogRoot& window, const ParameterFieldList& fields, bool ask_printer);
int print_esc_sheet(DialogRoot& window, const ParameterFieldList& fields, bool ask_printer);

}  // namespace orvadw
