// The special settings window over block 0x4000: the factory identity of an
// instrument and, for boards sold to other makers, the models and chord
// arrangements it may run as.
#include "base/program_identity.h"
#include "base/text_table.h"
#include "params/window_table.h"

namespace orvadw {

WindowTable special_settings_window(int language) {
  constexpr int S = block::kSpecial;
  const std::string firmware = program_version_key();
  // Rows 1 and 6 have no label: their static text shows the caption itself.
  const std::string serial_caption = text_of(151, language);
  const std::string board_caption = text_of(152, language);
  WindowTable w;
  w.key = "special";
  w.template_id = 122;
  w.title_text_id = 214;
  w.file_kind_text_id = 89;
  // clang-format off
  //   control pres label kind  list initial         unit spare min max    format   type    offset block  page
  w.descriptors = {
    {1167, 2,  0,   0x8,  0,  serial_caption, 0,  0, 0, 0,     "",      0,      -1, -1,    -1},
    {1165, 2,  0,   0x2,  0,  "07",           0,  0, 0, 60,    "%02.f", 0x100,  0,  S,     -1},
    {1158, 2,  0,   0x2,  0,  "03",           0,  0, 0, 99,    "%02.f", 0x100,  1,  S,     -1},
    {1166, 2,  0,   0x2,  0,  "0001",         0,  0, 0, 65535, "%05.f", 0x3000, 2,  S,     -1},
    {1155, 16, 151, 0x8,  0,  "",             0,  0, 0, 0,     "",      0,      -1, -1,    -1},
    {1164, 2,  0,   0x8,  0,  board_caption,  0,  0, 0, 0,     "",      0,      -1, -1,    -1},
    {1162, 2,  0,   0x2,  0,  "07",           0,  0, 0, 60,    "%02.f", 0x100,  8,  S,     -1},
    {1161, 2,  0,   0x2,  0,  "03",           0,  0, 0, 99,    "%02.f", 0x100,  9,  S,     -1},
    {1163, 2,  0,   0x2,  0,  "0001",         0,  0, 0, 65535, "%05.f", 0x3000, 10, S,     -1},
    {1159, 16, 152, 0x8,  0,  "",             0,  0, 0, 0,     "",      0,      -1, -1,    -1},
    {1239, 0,  8,   0x1,  33, "1",            0,  0, 0, 0,     "",      0x100,  7,  S,     -1},
    {1280, 0,  0,   0x40, 0,  "",             0,  0, 0, -1,    "",      0,      -1, -1,    -1},
    {1170, 0,  211, 0x1,  25, "0",            0,  0, 0, 0,     "",      0x100,  16, S,     -1},
    {1269, 0,  0,   0x40, 0,  "",             0,  0, 0, -1,    "",      0,      -1, -1,    -1},
    {1006, 0,  223, 0x1,  25, "0",            0,  0, 0, 0,     "",      0x800,  14, S,     -1},
    {1008, 0,  222, 0x1,  25, "0",            0,  0, 0, 0,     "",      0x900,  14, S,     -1},
    {1010, 0,  231, 0x1,  25, "0",            0,  0, 0, 0,     "",      0xA00,  14, S,     -1},
    {1012, 0,  228, 0x1,  25, "0",            0,  0, 0, 0,     "",      0xB00,  14, S,     -1},
    {1014, 0,  225, 0x1,  25, "0",            0,  0, 0, 0,     "",      0xC00,  14, S,     -1},
    {1016, 0,  224, 0x1,  25, "0",            0,  0, 0, 0,     "",      0xD00,  14, S,     -1},
    {1018, 0,  230, 0x1,  25, "0",            0,  0, 0, 0,     "",      0xE00,  14, S,     -1},
    {1020, 0,  227, 0x1,  25, "0",            0,  0, 0, 0,     "",      0xF00,  14, S,     -1},
    {1022, 0,  229, 0x1,  25, "0",            0,  0, 0, 0,     "",      0x800,  13, S,     -1},
    {1004, 0,  226, 0x1,  25, "0",            0,  0, 0, 0,     "",      0x900,  13, S,     -1},
    {1281, 0,  0,   0x40, 0,  "",             0,  0, 0, -1,    "",      0,      -1, -1,    -1},
    {1243, 0,  221, 0x1,  25, "0",            0,  0, 0, 0,     "",      0x800,  15, S,     -1},
    {1245, 0,  220, 0x1,  25, "0",            0,  0, 0, 0,     "",      0x900,  15, S,     -1},
    {1247, 0,  219, 0x1,  25, "0",            0,  0, 0, 0,     "",      0xA00,  15, S,     -1},
    {1237, 0,  218, 0x1,  31, "0",            0,  0, 0, 0,     "",      0x100,  6,  S,     -1},
    {1146, 0,  158, 0x2,  0,  "1",            0,  0, 1, 2,     "%0.f",  0x100,  4,  S,     -1},
    {1100, 0,  93,  0x1,  19, "0",            0,  0, 0, 0,     "",      0x100,  12, S,     -1},
    {1256, 0,  92,  0x8,  0,  firmware,       0,  0, 0, 12,    "%s",    0x500,  32, block::kMeasure, -1},
  };
  // clang-format on
  w.read_sequence = {block::kMeasure, block::kSpecial};
  w.write_sequence = {block::kSpecial};
  w.file_sequence = {block::kSpecial};
  return w;
}

}  // namespace orvadw
