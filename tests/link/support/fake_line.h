#pragma once
// A scripted serial line for link tests: a "fake:<name>" device whose port
// records every written byte with its time and returns the bytes that the
// test (or a peer callback answering requests) queued, each readable from a
// given moment. Failures of single operations and a vanishing device can be
// switched on.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/jbus_frame.h"

namespace orvadw::test {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class FakeLine {
 public:
  struct Written {
    Clock::time_point at;
    std::uint8_t byte;
  };
  // Called with each complete request frame the master wrote (framed by the
  // function code: 8 bytes for reads, 9 + byte count for writes).
  using Peer = std::function<void(FakeLine& line, const Bytes& request)>;

  // Makes "fake:<name>" reach a new line (the driver registers itself once).
  static std::shared_ptr<FakeLine> create(const std::string& name);

  // Queues bytes that become readable `after` from now, then one every `gap`.
  void queue(const Bytes& bytes, milliseconds after = milliseconds(0),
             milliseconds gap = milliseconds(0));
  void set_peer(Peer peer);

  std::vector<Written> writes() const;
  Bytes written() const;
  std::vector<Bytes> requests() const;  // complete frames seen by the peer logic
  void clear_writes();
  int pending() const;                   // bytes queued and not read yet

  // The device goes away: reads and writes fail with -14.
  void unplug();
  // Forces an operation to answer a code ("read_block", "purge_transmit",
  // "transmit_count"); 0 clears it.
  void set_failure(const std::string& operation, int code);
  // Opens of this line fail with this code (0: they succeed).
  void set_open_failure(int code);
  int open_failure() const { return open_failure_.load(); }

  int opens() const { return opens_.load(); }
  int last_baud() const { return last_baud_.load(); }
  int last_stop_bits() const { return last_stop_bits_.load(); }

  // Used by the fake port.
  // As a real driver: an idle hook, when given, is asked every 20 ms and a
  // negative answer ends the read with it.
  int read(int timeout_ms, std::atomic<bool>& interrupted,
           const std::function<int()>& idle = {});
  int read_now();
  int write(const std::uint8_t* data, int length);
  int failure(const std::string& operation) const;
  bool gone() const { return gone_.load(); }
  int due_count() const;
  void drop_all();
  void note_open(int baud, int stop_bits);
  void note_line(int baud, int stop_bits);
  void wake();

 private:
  struct Due {
    Clock::time_point at;
    std::uint8_t byte;
  };
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<Due> rx_;
  std::vector<Written> writes_;
  std::vector<Bytes> requests_;
  Bytes assembling_;
  Peer peer_;
  std::vector<std::pair<std::string, int>> failures_;
  std::atomic<bool> gone_{false};
  std::atomic<int> open_failure_{0};
  std::atomic<int> opens_{0};
  std::atomic<int> last_baud_{0};
  std::atomic<int> last_stop_bits_{0};
};

// Maps COM<n> to "fake:<name>" (and turns the device scan off).
void map_com(int com_number, const std::string& device);

// The process CPU time (user + system) used so far, for busy-loop checks.
std::chrono::microseconds process_cpu_time();

}  // namespace orvadw::test
