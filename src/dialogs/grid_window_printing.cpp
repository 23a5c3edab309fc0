#include "dialogs/grid_window_printing.h"

#include "ui/dialog_root.h"

namespace orvadw {

// The printed sheet and its surface come with the printing work; until
// then nothing is printed and the callers are told so.
int print_differences_sheet(DialogRoot& /*window*/, const ParameterFieldList& /*fields*/,
                            bool /*ask_printer*/) {
  return -1;
}

int print_esc_sheet(DialogRoot& /*window*/, const ParameterFieldList& /*fields*/,
                    bool /*ask_printer*/) {
  return -1;
}

}  // namespace orvadw
