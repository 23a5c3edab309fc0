#include "params/initialization_table.h"

namespace orvadw {

std::vector<ParameterDescriptor> initialization_table() {
  // clang-format off
  //   control pres label kind list initial unit spare min max format type offset block page
  return {
    {1091, 0, 212, 0x1, 27, "0", 0, 0, 0, 0, "", 0, -1, -1, -1},
    {1196, 0, 215, 0x1, 27, "0", 0, 0, 0, 0, "", 0, -1, -1, -1},
  };
  // clang-format on
}

}  // namespace orvadw
