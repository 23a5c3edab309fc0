#pragma once
// ADDR COUNT [--function 3|4] [--bytes-per-item K]: the one read that the
// read command makes and the poll command repeats.
#include <iosfwd>
#include <string>
#include <vector>

namespace orvadw::cli {

struct ReadRequest {
  int function = 3;
  int bytes_per_item = 2;
  int address = 0;
  int count = 0;
};

// Takes the options out of args, then reads ADDR and COUNT, the only words
// that may be left. False with a message for anything else, and when the
// answer could not hold COUNT items (its byte count is one byte).
bool take_read_request(std::vector<std::string>& args, ReadRequest& request, std::ostream& err);

}  // namespace orvadw::cli
