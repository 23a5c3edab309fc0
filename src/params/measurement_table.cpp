// The measurement view: live values of block 0x100, the chart bounds from
// block 0x1000 and the chart's own points in the local block 0xFFFF.
#include "base/program_identity.h"
#include "params/window_table.h"

namespace orvadw {

WindowTable measurement_window(int /*language*/) {
  constexpr int M = block::kMeasure;
  const std::string firmware = program_version_key();
  WindowTable w;
  w.key = "measurement";
  w.template_id = 121;
  w.title_text_id = 209;
  w.file_kind_text_id = 85;
  w.descriptors = operating_window_table();
  // clang-format off
  //   control pres label kind   list initial   unit spare min  max   format   type    offset block  page
  const std::vector<ParameterDescriptor> rows = {
    {1290, 0, 11,  0x800, 200, "",       142, 0, 200, 2000, "%0.1f", 0x100,  799, block::kChartPoints, -1},
    {0,    0, 0,   0x200, 0,   "",       0,   0, 0,   -1,   "",      0,      -1,  -1, -1},
    {1073, 0, 0,   0x8,   0,   "",       0,   0, 0,   0,    "",      0x5000, 10,  M,  -1},
    {1075, 0, 0,   0x8,   18,  "",       0,   0, 0,   0,    "%l",    0x800,  5,   M,  -1},
    {1038, 0, 11,  0x8,   0,   "",       142, 0, 0,   -1,   "%0.1f", 0x400,  0,   M,  -1},
    {1229, 0, 202, 0x8,   0,   "",       237, 0, 0,   -1,   "%0.1f", 0x400,  6,   M,  -1},
    {1104, 0, 95,  0x8,   0,   "",       54,  0, 0,   -1,   "%0.f",  0x100,  18,  M,  -1},
    {1114, 0, 103, 0x8,   0,   "",       167, 0, 0,   -1,   "%0.f",  0x100,  20,  M,  -1},
    {1288, 0, 57,  0x140, 0,   "",       0,   0, 0,   -1,   "",      0,      -1,  -1, -1},
    {1074, 0, 0,   0x8,   0,   "",       0,   0, 0,   0,    "",      0x5000, 22,  M,  -1},
    {1055, 0, 41,  0x8,   0,   "",       0,   0, 0,   -1,   "%0.f",  0x4000, 28,  M,  -1},
    {1289, 0, 241, 0x140, 0,   "",       0,   0, 0,   -1,   "",      0,      -1,  -1, -1},
    {1236, 0, 0,   0x8,   31,  "",       0,   0, 0,   0,    "%l",    0x100,  46,  M,  -1},
    {1256, 0, 92,  0x8,   0,   firmware, 0,   0, 0,   12,   "%s",    0x500,  32,  M,  -1},
    {1254, 0, 8,   0x8,   33,  "",       0,   0, 0,   0,    "%l",    0x100,  44,  M,  -1},
    {1032, 6, 0,   0x8,   0,   "0",      0,   0, 200, 4000, "%0.1f", 0x3000, 39,  block::kParameters, -1},
    {1029, 6, 0,   0x8,   0,   "0",      0,   0, 200, 4000, "%0.1f", 0x3000, 41,  block::kParameters, -1},
  };
  // clang-format on
  w.descriptors.insert(w.descriptors.end(), rows.begin(), rows.end());
  // The view polls; its files hold one sample as these three records.
  w.file_sequence = {block::kParameters, block::kMeasure, block::kChartPoints};
  return w;
}

}  // namespace orvadw
