#include "base/result_codes.h"

namespace orvadw {

std::string result_text(int code) {
  using namespace result;
  if (code > kExceptionBase && code < kExceptionBase + 50) {
    return "the instrument answered with exception code " + std::to_string(code - kExceptionBase);
  }
  switch (code) {
    case kOk: return "success";
    case kGeneralFailure: return "general failure, or a transaction is already running";
    case kInvalidPort: return "invalid port identifier";
    case kPortInUse: return "port in use or access denied";
    case kOutOfMemory: return "out of memory";
    case kNoData: return "no data";
    case kWriteIncomplete: return "write incomplete";
    case kNoSuchPort: return "no such port";
    case kNotSupported: return "operation not supported by this driver";
    case kInvalidBaud: return "invalid baud rate";
    case kInvalidParity: return "invalid parity";
    case kInvalidDataBits: return "invalid data bits";
    case kInvalidStopBits: return "invalid stop bits";
    case kRequestNotBuilt: return "the request could not be built";
    case kWrongSlave: return "the response comes from another slave number";
    case kWrongFunction: return "the response has another function code";
    case kWrongLength: return "the response's count or length does not match the request";
    case kRequestTooLong: return "the request would be longer than 255 bytes";
    case kExceptionBase: return "the instrument answered with exception code 0";
    case kCrcError: return "CRC error in the response";
    case kFrameTooShort: return "response shorter than 5 bytes";
    case kNoAnswer: return "no answer from the instrument";
    case kModemCancelled: return "the modem connection was cancelled";
    case kPortNotOpened: return "the serial port could not be opened";
    case kCancelled: return "cancelled";
    case kCannotOpenForWrite: return "the port could not be opened for writing";
    case kSpinRangeRefused: return "the minimum is above the maximum";
    case kTxPurgeFailed: return "the transmit queue could not be purged";
    case kRxDrainFailed: return "the receive queue could not be drained";
    default: return "unknown result " + std::to_string(code);
  }
}

}  // namespace orvadw
