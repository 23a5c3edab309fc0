#pragma once
// Where the master's poll thread reports to a thread without an event loop
// (a command, a test): each "WM_NEW_TRAME" is counted and wakes the waiting
// thread, as a window's event loop would be woken.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string_view>

#include "link/notify_target.h"

namespace orvadw {

class JBusMaster;

class PollSignal : public NotifyTarget {
 public:
  void post_message(std::string_view name, long wparam, long lparam) override;

  // Waits until more than `seen` notices have come; false at the deadline.
  bool wait_beyond(long seen, std::chrono::steady_clock::time_point deadline);
  long posted() const;

  // The longest one poll can take on this master: its attempts, each
  // bounded by the answer and inter-character time-outs, and room to spare.
  // Waiting longer means the poll thread has stopped reporting.
  static std::chrono::milliseconds longest_poll(const JBusMaster& master);

 private:
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  long posted_ = 0;
};

}  // namespace orvadw
