#include "link/jbus_exchange.h"

#include "base/result_codes.h"

namespace orvadw {

int JBusExchange::build_request(int slave, int function, int start_address, int count,
                                int bytes_per_item, const Bytes& data) {
  bytes_per_item_ = bytes_per_item == 0 ? 2 : bytes_per_item;
  count_ = count;
  request_.reset();

  Bytes payload;
  payload.reserve(5 + data.size() + 1);
  payload.push_back(static_cast<std::uint8_t>((start_address >> 8) & 0xFF));
  payload.push_back(static_cast<std::uint8_t>(start_address & 0xFF));
  payload.push_back(static_cast<std::uint8_t>((count >> 8) & 0xFF));
  payload.push_back(static_cast<std::uint8_t>(count & 0xFF));
  if (function == 16) {
    payload.push_back(static_cast<std::uint8_t>((count * 2) & 0xFF));
    payload.insert(payload.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) payload.push_back(0);
  }
  request_.build(static_cast<std::uint8_t>(slave & 0xFF), static_cast<std::uint8_t>(function & 0xFF),
                 payload);
  if (request_.raw().size() > static_cast<std::size_t>(kMaxFrameLength)) {
    return result::kRequestTooLong;
  }
  return result::kOk;
}

int JBusExchange::validate() const {
  const std::uint8_t asked_slave = request_.slave();
  const std::uint8_t asked_function = request_.function();
  const Bytes& data = response_.data();

  // Slave 0 in the request lets whichever instrument is connected answer.
  if (asked_slave != 0 && response_.slave() != asked_slave) return result::kWrongSlave;

  if ((response_.function() & 0x80) != 0 && (response_.function() & 0x7F) == asked_function) {
    const int code = data.empty() ? 0 : data[0];
    return result::kExceptionBase + code;
  }
  if (response_.function() != asked_function) return result::kWrongFunction;

  if (asked_function == 16) {
    // Length first: a short echo must not be read past its end.
    if (data.size() != 4) return result::kWrongLength;
    const int echoed_count = data[2] * 256 + data[3];
    if (echoed_count != count_) return result::kWrongLength;
    return result::kOk;
  }
  const long long expected = static_cast<long long>(count_) * bytes_per_item_;
  if (data.empty() || data[0] != expected) return result::kWrongLength;
  if (static_cast<long long>(data.size()) - 1 != expected) return result::kWrongLength;
  return result::kOk;
}

}  // namespace orvadw
