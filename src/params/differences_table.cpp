// The differences dialog of a comparison: the two hidden lines that only the
// printed copy shows (unit number, signature), the names of the two sources
// and the list of differing fields.
#include "params/window_table.h"

namespace orvadw {

WindowTable differences_window(int /*language*/) {
  const std::string line = "_______________";
  WindowTable w;
  w.key = "differences";
  w.template_id = 126;
  w.title_text_id = 216;
  // clang-format off
  //   control pres label kind    list initial unit spare min max format type offset block page
  w.descriptors = {
    {1253, 16, 0,   0x8,    0, line, 0, 0, 0, -1, "", 0, -1, -1, -1},
    {0,    1,  0,   0x400,  0, "",   0, 0, 0, -1, "", 0, -1, -1, -1},
    {1174, 0,  161, 0x8,    0, "",   0, 0, 0, -1, "", 0, -1, -1, -1},
    {1172, 0,  159, 0x8,    0, "",   0, 0, 0, -1, "", 0, -1, -1, -1},
    {0,    0,  0,   0x400,  0, "",   0, 0, 0, -1, "", 0, -1, -1, -1},
    {1258, 16, 0,   0x8,    0, line, 0, 0, 0, -1, "", 0, -1, -1, -1},
    {0,    0,  0,   0x400,  0, "",   0, 0, 0, -1, "", 0, -1, -1, -1},
    {1292, 0,  0,   0x1000, 0, "",   0, 0, 0, -1, "", 0, -1, -1, -1},
  };
  // clang-format on
  return w;
}

}  // namespace orvadw
