#pragma once
// The lines of the frame monitor: each traffic event as the time of day to
// the millisecond and the trace's body ("> 01 03 ...", "= 251 no answer
// from the instrument (attempt 1)"), the last 10,000 of them, and the text
// file they are saved to.
#include <chrono>
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "link/traffic_batch.h"

namespace orvadw {

class TrafficLog {
 public:
  static constexpr std::size_t kMaxLines = 10000;

  // Where the steady clock of the events stood against the wall clock; the
  // time of each line is read from it.
  struct ClockAnchor {
    TrafficEvent::Clock::time_point steady;
    std::chrono::system_clock::time_point wall;
    static ClockAnchor now();
  };

  explicit TrafficLog(std::size_t max_lines = kMaxLines);

  // Adds the lines of a batch (a line first that says how many older events
  // were lost, when some were) and gives the lines added, for the window to
  // show. Modem texts add nothing: their bytes come as sent and received.
  std::vector<std::string> append(const TrafficBatch::Batch& batch,
                                  const ClockAnchor& anchor = ClockAnchor::now());

  const std::deque<std::string>& lines() const { return lines_; }
  std::size_t max_lines() const { return max_lines_; }
  void clear() { lines_.clear(); }

  // The line of one event: "hh:mm:ss.mmm " and the trace's body, in local
  // time; "" for a modem text.
  static std::string line(const TrafficEvent& event, const ClockAnchor& anchor);

  // Writes every line, each ended by a bare line feed, replacing the file
  // whole. 0, or the system's error number.
  int save(const std::string& path) const;

 private:
  void push(std::string line);

  std::size_t max_lines_;
  std::deque<std::string> lines_;
};

}  // namespace orvadw
