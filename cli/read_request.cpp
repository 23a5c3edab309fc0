#include "cli/read_request.h"

#include <ostream>

#include "cli/arguments.h"

namespace orvadw::cli {

bool take_read_request(std::vector<std::string>& args, ReadRequest& request, std::ostream& err) {
  long long function = 3;
  long long per_item = 2;
  if (!take_bounded_option(args, "--function", 3, 4, function, err) ||
      !take_bounded_option(args, "--bytes-per-item", 1, 255, per_item, err)) {
    return false;
  }
  if (args.size() != 2) return false;
  int address = 0;
  long long count = 0;
  if (!parse_register_address(args[0], address, err) ||
      !parse_bounded(args[1], "COUNT", 1, 255, count, err)) {
    return false;
  }
  if (count * per_item > 255) {
    err << "orvadw-cli: COUNT x bytes per item must stay within 255 bytes\n";
    return false;
  }
  request.function = static_cast<int>(function);
  request.bytes_per_item = static_cast<int>(per_item);
  request.address = address;
  request.count = static_cast<int>(count);
  return true;
}

}  // namespace orvadw::cli
