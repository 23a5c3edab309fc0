// The identification header at 0xFF00 that every instrument window reads
// first, and the status rows of the operating-window base.
#include "base/program_identity.h"
#include "params/window_table.h"

namespace orvadw {

std::vector<ParameterDescriptor> identification_table() {
  constexpr int I = block::kIdentification;
  using namespace identification;
  // clang-format off
  //   control          pres label kind list initial                unit spare min max    format  type    offset block page
  return {
    {kJbusNumber,      6, 0, 0x8, 0, "",                    0, 0, 0, 255,   "%.f", 0x100,  1,  I, -1},
    {kCode,            6, 0, 0x8, 0, "",                    0, 0, 0, 65535, "%.f", 0x3000, 2,  I, -1},
    {kSerialWeek,      6, 0, 0x8, 0, "",                    0, 0, 0, 255,   "%.f", 0x100,  4,  I, -1},
    {kSerialYear,      6, 0, 0x8, 0, "",                    0, 0, 0, 255,   "%.f", 0x100,  5,  I, -1},
    {kSerialNumber,    6, 0, 0x8, 0, "",                    0, 0, 0, 65535, "%.f", 0x4000, 6,  I, -1},
    {kSoftwareVersion, 6, 0, 0x8, 0, program_version_key(), 0, 0, 0, 20,    "%s",  0x500,  10, I, -1},
    {kSoftwareText,    6, 0, 0x8, 0, "",                    0, 0, 0, 20,    "%s",  0x500,  30, I, -1},
  };
  // clang-format on
}

std::vector<ParameterDescriptor> operating_window_table() {
  // clang-format off
  //   control pres label kind list initial unit spare min max format type offset block page
  return {
    {1088, 0, 0, 0x8, 0,  "",  0, 0, 0, 0, "",   0, -1, -1, -1},  // record status
    {1054, 0, 0, 0x8, 17, "0", 0, 0, 0, 0, "%l", 0, -1, -1, -1},  // link status
  };
  // clang-format on
}

}  // namespace orvadw
