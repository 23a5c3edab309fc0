#include "fuzz/support/result_set.h"

#include "base/result_codes.h"

namespace orvadw::fuzz {

bool is_judging_code(int code) {
  using namespace result;
  return code == kOk || code == kWrongSlave || code == kWrongFunction || code == kWrongLength ||
         (code >= kExceptionBase && code <= kExceptionBase + 255) || code == kCrcError ||
         code == kFrameTooShort;
}

bool is_transaction_code(int code) {
  using namespace result;
  return is_judging_code(code) || code == kNoAnswer || code == kNoSuchPort;
}

}  // namespace orvadw::fuzz
