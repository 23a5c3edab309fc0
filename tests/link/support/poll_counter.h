#pragma once
// A master's poll watched from the test: good answers and failures counted
// apart, and the check that a dead line is polled at a pace instead of in a
// spin.
#include <atomic>
#include <chrono>
#include <string_view>

#include "link/jbus_master.h"
#include "link/notify_target.h"

namespace orvadw::test {

// Counts each poll notice and lets the poll go on.
class PollCounter : public NotifyTarget {
 public:
  explicit PollCounter(JBusMaster& master) : master_(master) {}
  void post_message(std::string_view, long, long) override;

  std::atomic<int> good{0};
  std::atomic<int> failed{0};

 private:
  JBusMaster& master_;
};

// Waits until count reaches at least n; false when the time ran out first.
bool wait_for_count(const std::atomic<int>& count, int n, std::chrono::milliseconds within);

// With the line gone, watches the poll for a second, then stops it: 2 to 10
// failures in that second, and little processor time spent on them.
void expect_paced_failures(JBusMaster& master, const PollCounter& counter);

}  // namespace orvadw::test
