#include "params/parameter_descriptor.h"

#include "params/value_codec.h"
#include "params/value_format.h"

namespace orvadw {

int value_type_size(std::uint32_t type, double maximum) {
  switch (ValueCodec::layout(type)) {
    case value_type::kS16:
    case value_type::kTimes26:
    case value_type::kU16:
      return 2;
    case value_type::kS24:
    case value_type::kMultiplier:
      return 3;
    case value_type::kFloat:
    case value_type::kU32:
    case value_type::kS32:
      return 4;
    case value_type::kText:
      // A text's length comes from table data; keep it within one sane block.
      return static_cast<int>(saturate(maximum, 0, 65535));
    case value_type::kDate5:
    case value_type::kDate6:
    case value_type::kDate7:
    case value_type::kDateBcd:
      return 6;
    case value_type::kDouble:
      return 8;
    case value_type::kDateSpread:
      return 13;
    default:
      return 1;
  }
}

bool is_date_type(std::uint32_t type) {
  switch (ValueCodec::layout(type)) {
    case value_type::kDate5:
    case value_type::kDate6:
    case value_type::kDate7:
    case value_type::kDateBcd:
    case value_type::kDateSpread:
      return true;
    default:
      return false;
  }
}

}  // namespace orvadw
