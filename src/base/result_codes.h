#pragma once
// One numbering of results for the whole link and the windows above it:
// 0 is success, negative codes come from the port layer, positive ones from
// the frame, the exchange and the link.
#include <string>

namespace orvadw {

namespace result {
// Port layer.
inline constexpr int kOk = 0;
inline constexpr int kGeneralFailure = -1;
inline constexpr int kInvalidPort = -2;
inline constexpr int kPortInUse = -3;
inline constexpr int kOutOfMemory = -5;
inline constexpr int kNoData = -8;
inline constexpr int kWriteIncomplete = -9;
inline constexpr int kNoSuchPort = -14;
inline constexpr int kNotSupported = -24;
inline constexpr int kInvalidBaud = -25;
inline constexpr int kInvalidParity = -26;
inline constexpr int kInvalidDataBits = -27;
inline constexpr int kInvalidStopBits = -28;

// Frame and exchange.
inline constexpr int kWrongSlave = 101;
inline constexpr int kWrongFunction = 102;
inline constexpr int kWrongLength = 103;
inline constexpr int kRequestTooLong = 104;
inline constexpr int kExceptionBase = 150;  // 150 + the instrument's exception code
inline constexpr int kCrcError = 201;
inline constexpr int kFrameTooShort = 202;

// Link.
inline constexpr int kBusy = -1;  // a transaction is already running
inline constexpr int kRequestNotBuilt = 1;
inline constexpr int kNoAnswer = 251;
inline constexpr int kModemCancelled = 252;
inline constexpr int kPortNotOpened = 253;
inline constexpr int kCancelled = 254;  // the caller stopped a probe or a search
inline constexpr int kCannotOpenForWrite = 500;  // the writing pattern could not connect
inline constexpr int kTxPurgeFailed = 503;
inline constexpr int kRxDrainFailed = 504;

// Controls.
inline constexpr int kSpinRangeRefused = 351;
}  // namespace result

// The meaning of a result code in plain English, for logs and the command line.
std::string result_text(int code);

}  // namespace orvadw
