#pragma once
// One request a view polls: function, first register (or entry), count and
// bytes per item, as JBusMaster::start_polling and set_poll_request take them.
namespace orvadw {

struct PolledRequest {
  int function = 3;
  int address = 0;
  int count = 0;
  int bytes_per_item = 2;

  bool operator==(const PolledRequest& other) const = default;
};

}  // namespace orvadw
