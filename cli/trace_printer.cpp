#include "cli/trace_printer.h"

#include <ostream>

namespace orvadw::cli {

TracePrinter::TracePrinter(std::ostream& out) : out_(out), start_(TrafficEvent::Clock::now()) {}

void TracePrinter::on_traffic(const TrafficEvent& event) {
  const std::string line = trace_line(event, start_);
  if (line.empty()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  out_ << line << '\n' << std::flush;
}

}  // namespace orvadw::cli
