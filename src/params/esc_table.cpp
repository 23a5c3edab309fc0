// The ESC information view: block 0xB00 holds two tables of ten 6-byte
// entries, the polarity in use and the margin. One entry is decoded through
// the local block 0xFFFFFF.
#include "base/program_identity.h"
#include "params/window_table.h"

namespace orvadw {

WindowTable esc_window(int /*language*/) {
  constexpr int B = block::kEsc;
  constexpr int E = block::kEscEntry;
  const std::string firmware = program_version_key();
  WindowTable w;
  w.key = "esc";
  w.template_id = 112;
  w.title_text_id = 204;
  w.file_kind_text_id = 82;
  // clang-format off
  //   control pres label kind    list initial   unit spare min max format   type   offset block  page
  w.descriptors = {
    {1256, 0, 92,  0x8,    0,  firmware, 0,  0, 0, 12, "%s",    0x500, 32,  block::kMeasure, -1},
    {1284, 0, 46,  0x140,  0,  "",       0,  0, 0, -1, "",      0,     -1,  -1, -1},
    {1180, 0, 166, 0x8,    28, "0",      0,  0, 0, -1, "%l",    0x100, 120, B,  -1},
    {1130, 0, 114, 0x8,    0,  "12",     54, 0, 0, 89, "%0.f",  0x100, 122, B,  -1},
    {0,    0, 0,   0x400,  0,  "",       0,  0, 0, -1, "",      0,     -1,  -1, -1},
    {1294, 0, 0,   0x1000, 0,  "",       0,  0, 0, 0,  "",      0,     -1,  -1, -1},
    {1293, 0, 0,   0x1000, 0,  "",       0,  0, 0, 0,  "",      0,     -1,  -1, -1},
    {1098, 6, 0,   0x8,    0,  "",       0,  0, 0, -1, "%0.f",  0x100, 0,   E,  -1},
    {1097, 6, 0,   0x8,    0,  "",       0,  0, 0, -1, "%0.f",  0x100, 1,   E,  -1},
    {1099, 6, 0,   0x8,    0,  "",       0,  0, 0, -1, "%0.3f", 0x400, 2,   E,  -1},
  };
  // clang-format on
  w.read_sequence = {block::kMeasure, block::kEsc};
  w.file_sequence = {block::kMeasure, block::kEsc};
  return w;
}

}  // namespace orvadw
