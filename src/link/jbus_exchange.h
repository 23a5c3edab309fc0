#pragma once
// One register request (function 3 or 4 to read, 16 to write) and the judging
// of the response that comes back for it.
#include <cstdint>

#include "link/jbus_frame.h"

namespace orvadw {

class JBusExchange {
 public:
  static constexpr int kMaxFrameLength = 255;

  // Builds the request frame. bytes_per_item is the data bytes one counted
  // item takes in a read answer (0 means 2). For function 16 the data bytes
  // follow the byte count, padded with one 0 byte when their number is odd;
  // other functions ignore them. Returns 0, or 104 when the frame would be
  // longer than 255 bytes.
  int build_request(int slave, int function, int start_address, int count, int bytes_per_item,
                    const Bytes& data);
  // A copy of the request frame, ready to send.
  Bytes request_bytes() const { return request_.raw(); }

  // 0, 201 (CRC) or 202 (shorter than 5 bytes).
  int parse_response(const Bytes& received) { return response_.parse(received); }
  // After a successful parse_response: 0, 101 (other slave), 102 (other
  // function), 103 (count or length mismatch) or 150 + the exception code.
  int validate() const;
  const Bytes& response_data() const { return response_.data(); }

  void reset_response() { response_.reset(); }
  int bytes_per_item() const { return bytes_per_item_; }

 private:
  int bytes_per_item_ = 1;
  JBusFrame response_;
  JBusFrame request_;
  int count_ = 0;  // of the last request, for judging its response
};

}  // namespace orvadw
