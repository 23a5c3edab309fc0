#pragma once
// Finds a connected instrument without any prior setting: its COM port, its
// speed and its JBus number.
//
// First the ports that open are found (each is opened at the lowest speed
// and closed again). Then each available port is tried at every speed, from
// the highest index of the speed list down to 0, with a read of the
// identification block addressed to slave 0 (which any instrument answers);
// the JBus number is the answer's byte at the given position.
//
// The result is always the one the one-by-one order gives: the lowest port
// that answers, at the first speed (from the top) that it answers at. To get
// there sooner the ports are tried side by side, one probe thread and one
// link per port, and a try that hears nothing at all is not asked again
// (another speed, or nobody there, only ever stays silent). A port that
// found the instrument stops the ports above it at once; it waits for the
// ports below it only, since one of them may still win.
//
// cancel() ends a search within about 100 ms from any thread. No Qt: the
// search dialog and orvadw-cli search show the same search.
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "link/jbus_master.h"
#include "link/traffic_tap.h"

namespace orvadw {

struct SearchPlan {
  std::vector<int> ports;          // COM numbers (1 to 255) to consider, any order
  int baud_count = 7;              // speeds tried: indexes baud_count - 1 down to 0
  int id_address = 0xFF00;         // the identification block
  int id_count = 1;                // its registers
  int jbus_position = 1;           // the JBus number's index in the answer's data bytes
  int answer_timeout_ms = 1000;
  int attempts = 3;                // of a try that hears something
  bool give_up_when_silent = true;  // one attempt for a try that hears nothing
  bool side_by_side = true;        // false: one port after the other, as one probe
};

struct SearchResult {
  int port = -1;        // COM number
  int baud_index = -1;
  int jbus_number = -1;
  bool cancelled = false;
  bool found() const { return port > 0; }
};

// What a search tells while it runs. Called from the search's threads, with
// none of its locks held: a window posts these on to its own thread.
class SearchListener {
 public:
  virtual ~SearchListener() = default;
  // The first phase looked at one port.
  virtual void port_checked(int com_number, bool available) {
    (void)com_number;
    (void)available;
  }
  // The first phase is over: `tries` tries at most follow.
  virtual void tries_planned(int available_ports, int tries) {
    (void)available_ports;
    (void)tries;
  }
  virtual void try_started(int com_number, int baud_index) {
    (void)com_number;
    (void)baud_index;
  }
  // code: the probe's result (0 found, 251 silent, 253 the port did not
  // open at that speed, 254 stopped).
  virtual void try_finished(int com_number, int baud_index, int code) {
    (void)com_number;
    (void)baud_index;
    (void)code;
  }
  // Last of all, once every thread of the search has ended.
  virtual void search_finished(const SearchResult& result) { (void)result; }
};

class InstrumentSearch {
 public:
  explicit InstrumentSearch(SearchPlan plan, SearchListener* listener = nullptr);
  // Cancels a search still running and waits for its threads.
  ~InstrumentSearch();
  InstrumentSearch(const InstrumentSearch&) = delete;
  InstrumentSearch& operator=(const InstrumentSearch&) = delete;

  // Every probe's link reports its traffic there (before start()).
  void set_traffic_tap(std::shared_ptr<TrafficTap> tap) { tap_ = std::move(tap); }

  // Starts the search on threads of its own and returns at once. Once only.
  void start();
  // Waits for the end and returns the result (start() first).
  SearchResult wait();
  // start() and wait().
  SearchResult run();
  // Any thread, any time: the search ends soon with a cancelled result
  // (nothing found), unless it had already ended.
  void cancel();
  bool is_finished() const { return finished_.load(); }

  // The speeds a plan tries, as the link allows: min(plan, link's count).
  static int speeds_to_try(const SearchPlan& plan);

 private:
  void coordinate();
  // Tries the ports of one lane in order, each at every speed.
  void run_lane(std::size_t lane);
  // True when a port below com_number has found the instrument.
  bool beaten(int com_number) const;
  void record_found(int com_number, int baud_index, int jbus_number);

  SearchPlan plan_;
  SearchListener* listener_;
  std::shared_ptr<TrafficTap> tap_;
  int speeds_ = 0;

  struct Lane {
    std::vector<int> ports;
    std::unique_ptr<JBusMaster> master;
  };
  std::vector<Lane> lanes_;  // fixed before the lanes' threads start

  mutable std::mutex mutex_;  // found_, the lanes' masters while cancelling
  SearchResult found_;
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> finished_{false};
  bool started_ = false;
  std::thread coordinator_;
};

}  // namespace orvadw
