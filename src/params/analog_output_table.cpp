// The 4-20 mA output adjustment over block 0x3000. Bytes 0 to 5 belong to no
// field and are written as 0.
#include "base/program_identity.h"
#include "params/window_table.h"

namespace orvadw {

WindowTable analog_output_window(int /*language*/) {
  constexpr int A = block::kOutputPoints;
  const std::string firmware = program_version_key();
  WindowTable w;
  w.key = "analog";
  w.template_id = 123;
  w.title_text_id = 215;
  w.file_kind_text_id = 88;
  // clang-format off
  //   control pres label kind   list initial  unit spare min max    format  type    offset block  page
  w.descriptors = {
    {1273, 0, 162, 0x140, 0, "",       0,  0, 0,  -1,    "",     0,      -1, -1,    -1},
    {1276, 0, 190, 0x140, 0, "",       0,  0, 0,  -1,    "",     0,      -1, -1,    -1},
    {1206, 0, 169, 0x2,   0, "1160",   0,  0, 10, 65535, "%0.f", 0x3000, 6,  A,     -1},
    {1204, 0, 168, 0x2,   0, "60500",  0,  0, 10, 65535, "%0.f", 0x3000, 8,  A,     -1},
    {1277, 0, 191, 0xC0,  0, "",       0,  0, 0,  -1,    "",     0,      -1, -1,    -1},
    {1210, 0, 169, 0x2,   0, "1160",   0,  0, 0,  65535, "%0.f", 0x3000, 10, A,     -1},
    {1208, 0, 168, 0x2,   0, "60500",  0,  0, 0,  65535, "%0.f", 0x3000, 12, A,     -1},
    {0,    0, 0,   0x400, 0, "",       0,  0, 0,  -1,    "",     0,      -1, -1,    -1},
    {1256, 2, 92,  0x8,   0, firmware, 0,  0, 0,  12,    "%s",   0x500,  32, block::kMeasure, -1},
  };
  // clang-format on
  w.read_sequence = {block::kMeasure, block::kOutputPoints};
  w.write_sequence = {block::kOutputPoints};
  w.file_sequence = {block::kOutputPoints};
  return w;
}

}  // namespace orvadw
