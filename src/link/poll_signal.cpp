#include "link/poll_signal.h"

#include "link/jbus_master.h"

namespace orvadw {

void PollSignal::post_message(std::string_view name, long, long) {
  if (name != JBusMaster::kNewFrameMessage) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++posted_;
  }
  cv_.notify_all();
}

bool PollSignal::wait_beyond(long seen, std::chrono::steady_clock::time_point deadline) {
  std::unique_lock<std::mutex> lock(mutex_);
  return cv_.wait_until(lock, deadline, [&] { return posted_ > seen; });
}

long PollSignal::posted() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return posted_;
}

}  // namespace orvadw

namespace orvadw {

std::chrono::milliseconds PollSignal::longest_poll(const JBusMaster& master) {
  return std::chrono::milliseconds(static_cast<long long>(master.retries()) *
                                       (master.answer_timeout() + master.inter_char_timeout() + 1000) +
                                   5000);
}

}  // namespace orvadw
