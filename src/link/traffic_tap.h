#pragma once
// What goes over a line, as a technician wants to see it when an instrument
// does not answer: every request sent, every run of bytes received, every
// byte thrown away by a purge or a drain, each attempt's verdict and the
// modem's AT texts. The link calls its tap outside its own locks, on the
// thread that did the work (a window's, the poll thread, the modem worker or
// a search probe), so a tap must be thread-safe and quick; a window posts
// the event on to its own thread.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace orvadw {

struct TrafficEvent {
  using Clock = std::chrono::steady_clock;
  enum class Kind {
    kSent,          // bytes: the request (or text) as written
    kReceived,      // bytes: one answer's run, at: its first byte
    kDiscarded,     // bytes: thrown away before a request or after a failure
    kVerdict,       // attempt and code: the judgement of one attempt (0 is success)
    kModemCommand,  // text: an AT command as sent
    kModemAnswer,   // text: the modem's answer
  };

  Kind kind = Kind::kSent;
  Clock::time_point at{};
  std::vector<std::uint8_t> bytes;
  int attempt = 0;
  int code = 0;
  std::string text;
};

class TrafficTap {
 public:
  virtual ~TrafficTap() = default;
  virtual void on_traffic(const TrafficEvent& event) = 0;
};

// One line of the trace: milliseconds since start, then ">" sent, "<"
// received or "!" discarded with the bytes as blank-separated two-digit hex,
// or "=" with the code and its meaning and the attempt number. Modem texts
// give "" (their bytes are already traced as sent and received).
std::string trace_line(const TrafficEvent& event, TrafficEvent::Clock::time_point start);
// The line without its time: "> 01 03 ...", "= 251 no answer ... (attempt 1)",
// or "" for a modem text.
std::string trace_body(const TrafficEvent& event);

}  // namespace orvadw
