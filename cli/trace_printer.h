#pragma once
// --trace: the link's traffic tap printed one line an event on a stream
// (standard error), from whichever thread the event comes.
#include <chrono>
#include <iosfwd>
#include <mutex>

#include "link/traffic_tap.h"

namespace orvadw::cli {

class TracePrinter : public TrafficTap {
 public:
  // Times are counted from the printer's creation.
  explicit TracePrinter(std::ostream& out);
  void on_traffic(const TrafficEvent& event) override;

 private:
  std::ostream& out_;
  std::mutex mutex_;
  TrafficEvent::Clock::time_point start_;
};

}  // namespace orvadw::cli
