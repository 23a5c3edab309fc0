#include "link/traffic_batch.h"

#include <algorithm>
#include <iterator>

namespace orvadw {

TrafficBatch::TrafficBatch(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void TrafficBatch::on_traffic(const TrafficEvent& event) {
  // The copy is made before the lock: the link's thread holds it for a
  // move and, rarely, a trim.
  TrafficEvent copy = event;
  std::lock_guard<std::mutex> lock(mutex_);
  if (pending_.size() >= 2 * capacity_) {
    const std::size_t excess = pending_.size() - capacity_ + 1;
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(excess));
    dropped_ += excess;
  }
  pending_.push_back(std::move(copy));
}

TrafficBatch::Batch TrafficBatch::take() {
  Batch batch;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batch.events.swap(pending_);
    batch.dropped = dropped_;
    dropped_ = 0;
  }
  if (batch.events.size() > capacity_) {
    const std::size_t excess = batch.events.size() - capacity_;
    batch.events.erase(batch.events.begin(),
                       batch.events.begin() + static_cast<std::ptrdiff_t>(excess));
    batch.dropped += excess;
  }
  return batch;
}

}  // namespace orvadw
