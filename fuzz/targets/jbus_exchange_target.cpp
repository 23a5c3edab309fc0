// A request built from the input and any bytes taken as its response: the
// verdict is one of the judging codes, and a response is accepted only when
// it is a whole frame answering that request, so a caller that copies the
// answer never reads past it.
#include "base/result_codes.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/fuzz_input.h"
#include "fuzz/support/result_set.h"
#include "link/jbus_exchange.h"
#include "sim/crc16.h"

namespace orvadw::fuzz {

namespace {
constexpr int kFunctions[] = {3, 4, 16, 3, 4, 16, 1, 0x83};
}

int fuzz_jbus_exchange(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const int function = kFunctions[in.pick(std::size(kFunctions))];
  const int slave = in.byte();
  const int address = in.u16();
  const int bytes_per_item = in.pick(4);
  const std::vector<std::uint8_t> write_data = in.counted_bytes();
  const int count = function == 16 ? static_cast<int>((write_data.size() + 1) / 2) : in.byte();
  const std::vector<std::uint8_t> response = in.rest();

  JBusExchange exchange;
  const int built = exchange.build_request(slave, function, address, count, bytes_per_item,
                                           write_data);
  const Bytes request = exchange.request_bytes();
  FUZZ_CHECK(built == 0 || built == result::kRequestTooLong, "unexpected build result");
  FUZZ_CHECK(built != 0 || request.size() <= JBusExchange::kMaxFrameLength,
             "a request longer than 255 bytes was built");
  FUZZ_CHECK(request.size() >= 4 && sim::crc_matches(request.data(), request.size()),
             "the request's CRC is wrong");
  if (function != 16) FUZZ_CHECK(request.size() == 8, "a read request is not 8 bytes");

  const int parsed = exchange.parse_response(response);
  const bool whole = response.size() >= 5 && sim::crc_matches(response.data(), response.size());
  if (response.size() < 5) {
    FUZZ_CHECK(parsed == result::kFrameTooShort, "a short response was not refused as short");
  } else {
    FUZZ_CHECK(parsed == (whole ? 0 : result::kCrcError), "CRC verdict differs from the check");
  }
  if (parsed != 0) return 0;

  const int verdict = exchange.validate();
  FUZZ_CHECK(is_judging_code(verdict), "validate gave a code outside the judging codes");
  if (verdict != 0) return 0;

  // Accepted: the frame answers this request exactly.
  const Bytes& answer = exchange.response_data();
  FUZZ_CHECK(answer.size() + 4 == response.size(), "response data does not match the frame");
  FUZZ_CHECK(slave == 0 || response[0] == slave, "an answer from another slave was accepted");
  FUZZ_CHECK(response[1] == function, "an answer to another function was accepted");
  if (function == 16) {
    FUZZ_CHECK(answer.size() == 4, "a write echo of the wrong length was accepted");
    FUZZ_CHECK(answer[2] * 256 + answer[3] == count, "a write echo of another count was accepted");
  } else {
    const std::size_t k = bytes_per_item == 0 ? 2 : static_cast<std::size_t>(bytes_per_item);
    FUZZ_CHECK(answer.size() == static_cast<std::size_t>(count) * k + 1,
               "a read answer of the wrong length was accepted");
    FUZZ_CHECK(answer[0] == answer.size() - 1, "the byte count does not match the data");
  }
  return 0;
}

}  // namespace orvadw::fuzz
