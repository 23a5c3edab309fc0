#include "link/instrument_search.h"

#include <algorithm>
#include <set>

#include "base/result_codes.h"

namespace orvadw {

namespace {

constexpr int kMaxCom = 255;
constexpr int kReadFunction = 3;
// Slave 0 is answered by any instrument, whatever its own number.
constexpr int kAnySlave = 0;

}  // namespace

InstrumentSearch::InstrumentSearch(SearchPlan plan, SearchListener* listener)
    : plan_(std::move(plan)), listener_(listener) {}

InstrumentSearch::~InstrumentSearch() {
  cancel();
  if (coordinator_.joinable()) coordinator_.join();
}

int InstrumentSearch::speeds_to_try(const SearchPlan& plan) {
  const JBusLink link;
  return std::clamp(plan.baud_count, 0, link.baud_count());
}

void InstrumentSearch::start() {
  if (started_) return;
  started_ = true;
  coordinator_ = std::thread(&InstrumentSearch::coordinate, this);
}

SearchResult InstrumentSearch::wait() {
  if (coordinator_.joinable()) coordinator_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  return found_;
}

SearchResult InstrumentSearch::run() {
  start();
  return wait();
}

void InstrumentSearch::cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (finished_.load()) return;
  cancelled_.store(true);
  for (Lane& lane : lanes_) {
    if (lane.master) lane.master->cancel();
  }
}

bool InstrumentSearch::beaten(int com_number) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return found_.found() && found_.port < com_number;
}

void InstrumentSearch::record_found(int com_number, int baud_index, int jbus_number) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (found_.found() && found_.port < com_number) return;
  found_.port = com_number;
  found_.baud_index = baud_index;
  found_.jbus_number = jbus_number;
  // The ports above can no longer win: stop their probes now.
  for (Lane& lane : lanes_) {
    if (!lane.ports.empty() && lane.ports.front() > com_number) lane.master->cancel();
  }
}

void InstrumentSearch::coordinate() {
  speeds_ = speeds_to_try(plan_);
  std::set<int> wanted;
  for (int port : plan_.ports) {
    if (port >= 1 && port <= kMaxCom) wanted.insert(port);
  }

  // The ports that open at all.
  std::vector<int> available;
  {
    JBusMaster opener;
    for (int port : wanted) {
      if (cancelled_.load()) break;
      const bool opens = opener.connect(port, 0) == 0;
      opener.disconnect();
      if (listener_) listener_->port_checked(port, opens);
      if (opens) available.push_back(port);
    }
  }
  if (listener_ && !cancelled_.load()) {
    listener_->tries_planned(static_cast<int>(available.size()),
                             static_cast<int>(available.size()) * speeds_);
  }

  std::vector<Lane> lanes;
  if (plan_.side_by_side) {
    for (int port : available) lanes.push_back(Lane{{port}, nullptr});
  } else if (!available.empty()) {
    lanes.push_back(Lane{available, nullptr});
  }
  for (Lane& lane : lanes) {
    lane.master = std::make_unique<JBusMaster>();
    lane.master->set_traffic_tap(tap_);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lanes_ = std::move(lanes);
    // A cancel that came while the lanes were being set up reaches them too.
    if (cancelled_.load()) {
      for (Lane& lane : lanes_) lane.master->cancel();
    }
  }

  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < lanes_.size(); ++i) {
    try {
      threads.emplace_back(&InstrumentSearch::run_lane, this, i);
    } catch (const std::system_error&) {
      // No thread for this lane: it runs here once the others are under way.
      run_lane(i);
    }
  }
  for (std::thread& t : threads) t.join();

  SearchResult result;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (cancelled_.load()) {
      found_ = SearchResult{-1, -1, -1, true};
    }
    result = found_;
    finished_.store(true);
  }
  if (listener_) listener_->search_finished(result);
}

void InstrumentSearch::run_lane(std::size_t index) {
  Lane& lane = lanes_[index];
  JBusMaster& master = *lane.master;
  const int count = std::max(plan_.id_count, 1);
  const auto position = static_cast<std::size_t>(std::max(plan_.jbus_position, 0));
  for (int port : lane.ports) {
    for (int baud = speeds_ - 1; baud >= 0; --baud) {
      if (cancelled_.load() || beaten(port)) {
        master.disconnect();
        return;
      }
      if (listener_) listener_->try_started(port, baud);
      int rc = master.connect(port, baud);
      if (rc == 0) {
        Bytes data;
        rc = master.probe(kAnySlave, kReadFunction, plan_.id_address, count, data,
                          plan_.attempts, plan_.answer_timeout_ms, plan_.give_up_when_silent);
        if (rc == 0 && data.size() <= position) rc = result::kWrongLength;
        if (rc == 0) record_found(port, baud, data[position]);
      }
      master.disconnect();
      if (listener_) listener_->try_finished(port, baud, rc);
      if (rc == 0) return;
    }
  }
}

}  // namespace orvadw
