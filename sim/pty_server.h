#pragma once
// The simulated instrument on a pseudo-terminal: the program that the link's
// real termios driver talks to. One thread, one poll() loop; the line can be
// paced at a baud rate (and then the instrument hears only a client set to
// that speed, as a real one would), a Hayes modem can stand in front, and
// the faults of FaultOptions apply to every answer. A client may close and reopen the
// terminal as often as it likes; the master stays open meanwhile.
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sim/fault_injector.h"
#include "sim/frame_assembler.h"
#include "sim/hayes_modem.h"
#include "sim/program_options.h"
#include "sim/simulated_instrument.h"

namespace orvadw::sim {

class PtyServer {
 public:
  explicit PtyServer(ProgramOptions options);
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Creates the pseudo-terminal in raw mode, and the link when asked for.
  // 0, or -1 with a sentence in error.
  int open(std::string& error);
  const std::string& slave_path() const { return slave_path_; }

  // Serves until stop_fd becomes readable (the signal handler writes to it).
  // 0, or -1 with a sentence in error when the terminal fails for good.
  int run(int stop_fd, std::string& error);

  // Removes the link (if it is still ours) and closes the terminal.
  void close();

  // What happened, in the order printed at exit.
  std::vector<std::pair<std::string, std::uint64_t>> counts() const;

 private:
  using Clock = std::chrono::steady_clock;
  struct Due {
    Clock::time_point at;
    std::uint8_t byte;
  };

  void from_pc(const std::uint8_t* data, std::size_t length, Clock::time_point now);
  void pump_modem(Clock::time_point now);
  void to_instrument(const std::uint8_t* data, std::size_t length, Clock::time_point now);
  void answer(const std::vector<std::uint8_t>& frame, Clock::time_point now);
  void send(const std::vector<std::uint8_t>& bytes, Clock::time_point start);
  void expire_partial(Clock::time_point now);
  // Writes the bytes that are due; false when the terminal failed for good.
  bool flush(Clock::time_point now, std::string& error);
  void client_gone();
  // True without --baud, or while the client's side is set to that speed.
  bool at_instrument_speed();
  bool read_master(Clock::time_point now, std::string& error);

  ProgramOptions options_;
  SimulatedInstrument instrument_;
  FaultInjector faults_;
  FrameAssembler assembler_;
  std::unique_ptr<HayesModem> modem_;
  std::chrono::nanoseconds char_time_{0};  // 0: unpaced
  std::chrono::nanoseconds silence_{0};

  int master_ = -1;
  std::string slave_path_;
  bool link_made_ = false;
  bool client_present_ = false;
  bool want_write_ = false;

  std::deque<Due> out_;
  Clock::time_point out_free_{};   // the earliest the next answer byte may go
  Clock::time_point in_free_{};    // the end of the last request on the wire
  Clock::time_point first_byte_{};  // of the request being assembled
  Clock::time_point last_byte_{};

  std::uint64_t answered_ = 0;
  std::uint64_t exceptions_ = 0;
  std::uint64_t unsent_bytes_ = 0;  // answers for a client that had gone
  std::uint64_t wrong_speed_bytes_ = 0;  // heard at another speed than --baud
};

}  // namespace orvadw::sim
