#pragma once
// A Hayes modem pair in front of the instrument, as the PC sees it: the local
// modem takes AT commands until a call is up, then carries the line to the
// instrument until "+++" (framed by silence) brings it back to commands.
//
// Command mode: every line that starts with "AT" (any case; noise before the
// "AT" is skipped) and ends with CR is answered in the verbose form
// "\r\nOK\r\n"; line feeds and lines without "AT" are ignored and nothing is
// echoed. "ATD..." (ATDT/ATDP and a number) is
// answered after the dial delay with the configured result ("CONNECT <baud>",
// "BUSY", "NO DIALTONE" or "NO CARRIER"); only CONNECT brings the call up.
// "ATH"/"ATH0" puts the call down; "ATO" goes back on line while the call is
// up. The time is always passed in, so the dialogue can be tested without
// waiting.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvadw::sim {

struct ModemCounters {
  std::uint64_t commands = 0;  // AT command lines
  std::uint64_t dials = 0;
  std::uint64_t connects = 0;
  std::uint64_t escapes = 0;   // "+++" taken
  std::uint64_t hangups = 0;
};

class HayesModem {
 public:
  using Clock = std::chrono::steady_clock;

  struct Options {
    std::string dial_answer = "CONNECT";  // CONNECT, BUSY, NO DIALTONE or NO CARRIER
    int dial_delay_ms = 500;              // from the dial command to its result
    int guard_ms = 1000;                  // silence before and after "+++"
    int baud = 0;                         // shown after CONNECT when not 0
  };

  explicit HayesModem(Options options);

  // Bytes from the PC at time now.
  void from_pc(const std::uint8_t* data, std::size_t length, Clock::time_point now);
  // Lets timers run out: the dial result, the silence after "+++", held "+".
  void tick(Clock::time_point now);
  // The next time tick() has something to do, if any.
  std::optional<Clock::time_point> next_deadline() const;

  // What the modem hands on: bytes for the instrument (data mode) and the
  // modem's own answers for the PC.
  std::vector<std::uint8_t> take_for_instrument();
  std::vector<std::uint8_t> take_for_pc();

  // The PC side went away (DTR dropped): the call ends, commands again.
  void reset();

  bool call_up() const { return call_up_; }
  bool carrying_data() const { return mode_ == Mode::kData; }
  ModemCounters counters() const { return counters_; }

  // The longest command line kept; a longer one is thrown away.
  static constexpr std::size_t kMaxLine = 256;

 private:
  enum class Mode { kCommand, kDialling, kData };

  void command_byte(std::uint8_t byte, Clock::time_point now);
  void run_command(const std::string& line, Clock::time_point now);
  void data_byte(std::uint8_t byte, Clock::time_point now);
  void flush_held_plus();
  void say(const std::string& text);

  Options options_;
  Mode mode_ = Mode::kCommand;
  bool call_up_ = false;
  std::string line_;
  bool line_overflow_ = false;
  Clock::time_point dial_due_{};
  // Escape detection in data mode.
  Clock::time_point last_pc_byte_{};
  bool any_pc_byte_ = false;
  int plus_held_ = 0;
  Clock::time_point last_plus_{};
  std::vector<std::uint8_t> for_instrument_;
  std::vector<std::uint8_t> for_pc_;
  ModemCounters counters_;
};

}  // namespace orvadw::sim
