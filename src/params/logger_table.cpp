// The logger view: one log entry of 10 bytes decoded through the local block
// 0x10001 (date type 0x6000, then the obturation time as a float).
#include "base/program_identity.h"
#include "params/window_table.h"

namespace orvadw {

WindowTable logger_window(int /*language*/) {
  constexpr int L = block::kLoggerEntry;
  const std::string firmware = program_version_key();
  WindowTable w;
  w.key = "logger";
  w.template_id = 120;
  w.title_text_id = 208;
  w.file_kind_text_id = 84;
  w.descriptors = operating_window_table();
  // clang-format off
  //   control pres label kind    list initial   unit spare min max format  type    offset block  page
  const std::vector<ParameterDescriptor> rows = {
    {1235, 6, 0,  0x8,    0, "",       0, 0, 0, 0,  "%0.f", 0x400,  6,  L,  -1},
    {1292, 0, 0,  0x1000, 0, "",       0, 0, 0, 0,  "",     0,      -1, -1, -1},
    {1069, 6, 0,  0x8,    0, "",       0, 0, 0, 0,  "",     0x6000, 0,  L,  -1},
    {1256, 2, 92, 0x8,    0, firmware, 0, 0, 0, 12, "%s",   0x500,  10, block::kIdentification, -1},
  };
  // clang-format on
  w.descriptors.insert(w.descriptors.end(), rows.begin(), rows.end());
  w.file_sequence = {block::kLoggerEntry};
  return w;
}

}  // namespace orvadw
