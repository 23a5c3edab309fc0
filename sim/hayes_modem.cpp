#include "sim/hayes_modem.h"

#include <algorithm>
#include <cctype>

namespace orvadw::sim {

namespace {

constexpr std::uint8_t kCr = '\r';
constexpr std::uint8_t kPlus = '+';

std::string upper_without_blanks(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '\t') continue;
    out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  return out;
}

}  // namespace

HayesModem::HayesModem(Options options) : options_(std::move(options)) {
  options_.guard_ms = std::max(options_.guard_ms, 0);
  options_.dial_delay_ms = std::max(options_.dial_delay_ms, 0);
}

void HayesModem::say(const std::string& text) {
  const std::string framed = "\r\n" + text + "\r\n";
  for_pc_.insert(for_pc_.end(), framed.begin(), framed.end());
}

std::vector<std::uint8_t> HayesModem::take_for_instrument() {
  std::vector<std::uint8_t> out;
  out.swap(for_instrument_);
  return out;
}

std::vector<std::uint8_t> HayesModem::take_for_pc() {
  std::vector<std::uint8_t> out;
  out.swap(for_pc_);
  return out;
}

void HayesModem::reset() {
  if (call_up_) ++counters_.hangups;
  mode_ = Mode::kCommand;
  call_up_ = false;
  line_.clear();
  line_overflow_ = false;
  plus_held_ = 0;
  any_pc_byte_ = false;
  for_instrument_.clear();
  for_pc_.clear();
}

void HayesModem::from_pc(const std::uint8_t* data, std::size_t length, Clock::time_point now) {
  // Timers that ran out before these bytes came decide first.
  tick(now);
  for (std::size_t i = 0; i < length; ++i) {
    switch (mode_) {
      case Mode::kCommand:
        command_byte(data[i], now);
        break;
      case Mode::kDialling:
        break;  // the modem is busy dialling
      case Mode::kData:
        data_byte(data[i], now);
        break;
    }
  }
}

void HayesModem::command_byte(std::uint8_t byte, Clock::time_point now) {
  if (byte == kCr) {
    if (!line_overflow_) run_command(line_, now);
    line_.clear();
    line_overflow_ = false;
    return;
  }
  if (byte == '\n') return;
  if (line_.size() >= kMaxLine) {
    line_overflow_ = true;  // noise, not a command
    return;
  }
  line_.push_back(static_cast<char>(byte));
}

void HayesModem::run_command(const std::string& raw, Clock::time_point now) {
  // A command starts at "AT"; noise in front of it (line bytes that reached
  // the modem while no call was up) is skipped, as a modem hunting for the
  // attention characters does.
  std::size_t at = std::string::npos;
  for (std::size_t i = 0; i + 1 < raw.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(raw[i])) == 'A' &&
        std::toupper(static_cast<unsigned char>(raw[i + 1])) == 'T') {
      at = i;
      break;
    }
  }
  if (at == std::string::npos) return;
  ++counters_.commands;
  const std::string body = upper_without_blanks(raw.substr(at + 2));
  if (!body.empty() && body[0] == 'D') {
    ++counters_.dials;
    mode_ = Mode::kDialling;
    dial_due_ = now + std::chrono::milliseconds(options_.dial_delay_ms);
    return;
  }
  if (!body.empty() && body[0] == 'H') {
    if (call_up_) ++counters_.hangups;
    call_up_ = false;
    say("OK");
    return;
  }
  if (!body.empty() && body[0] == 'O') {
    if (!call_up_) {
      say("NO CARRIER");
      return;
    }
    mode_ = Mode::kData;
    plus_held_ = 0;
    any_pc_byte_ = false;
    say("CONNECT");
    return;
  }
  say("OK");
}

void HayesModem::flush_held_plus() {
  for_instrument_.insert(for_instrument_.end(), static_cast<std::size_t>(plus_held_), kPlus);
  plus_held_ = 0;
}

void HayesModem::data_byte(std::uint8_t byte, Clock::time_point now) {
  const auto guard = std::chrono::milliseconds(options_.guard_ms);
  const bool silent_before = !any_pc_byte_ || now - last_pc_byte_ >= guard;
  any_pc_byte_ = true;
  last_pc_byte_ = now;
  if (byte == kPlus) {
    if (plus_held_ == 0 && silent_before) {
      plus_held_ = 1;
      last_plus_ = now;
      return;
    }
    if (plus_held_ > 0 && plus_held_ < 3) {
      ++plus_held_;
      last_plus_ = now;
      return;
    }
  }
  // Anything else, or a fourth "+": the held ones were data after all.
  flush_held_plus();
  for_instrument_.push_back(byte);
}

void HayesModem::tick(Clock::time_point now) {
  const auto guard = std::chrono::milliseconds(options_.guard_ms);
  if (mode_ == Mode::kDialling && now >= dial_due_) {
    const std::string& answer = options_.dial_answer;
    if (answer.rfind("CONNECT", 0) == 0) {
      call_up_ = true;
      mode_ = Mode::kData;
      plus_held_ = 0;
      any_pc_byte_ = false;
      ++counters_.connects;
      say(options_.baud > 0 && answer == "CONNECT"
              ? "CONNECT " + std::to_string(options_.baud)
              : answer);
    } else {
      mode_ = Mode::kCommand;
      say(answer);
    }
  }
  if (mode_ == Mode::kData && plus_held_ > 0 && now - last_plus_ >= guard) {
    if (plus_held_ == 3) {
      // "+++" and a silence after it: back to commands, the call stays up.
      plus_held_ = 0;
      mode_ = Mode::kCommand;
      line_.clear();
      ++counters_.escapes;
      say("OK");
    } else {
      flush_held_plus();
    }
  }
}

std::optional<HayesModem::Clock::time_point> HayesModem::next_deadline() const {
  if (mode_ == Mode::kDialling) return dial_due_;
  if (mode_ == Mode::kData && plus_held_ > 0) {
    return last_plus_ + std::chrono::milliseconds(options_.guard_ms);
  }
  return std::nullopt;
}

}  // namespace orvadw::sim
