#pragma once
// A traffic tap that only collects: the link's thread appends the event
// under a short lock and goes on, and a window takes what has come in one
// batch when it redraws. What waits is bounded: past the capacity the
// oldest events go and are counted, so a window that does not take (a
// paused or busy one) never holds the link's memory hostage.
#include <cstddef>
#include <mutex>
#include <vector>

#include "link/traffic_tap.h"

namespace orvadw {

class TrafficBatch : public TrafficTap {
 public:
  static constexpr std::size_t kDefaultCapacity = 10000;

  explicit TrafficBatch(std::size_t capacity = kDefaultCapacity);

  // Any thread.
  void on_traffic(const TrafficEvent& event) override;

  struct Batch {
    std::vector<TrafficEvent> events;  // oldest first, at most the capacity
    std::size_t dropped = 0;           // older events that did not fit
  };
  // Everything collected since the last take.
  Batch take();

 private:
  const std::size_t capacity_;
  std::mutex mutex_;
  // Grows to twice the capacity before the oldest half goes, so that a full
  // buffer costs one move per capacity events, not one per event.
  std::vector<TrafficEvent> pending_;
  std::size_t dropped_ = 0;
};

}  // namespace orvadw
