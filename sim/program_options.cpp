#include "sim/program_options.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "base/c_locale.h"
#include "link/posix_serial_port.h"

namespace orvadw::sim {

namespace {

bool parse_integer(const std::string& text, long long low, long long high, long long& out) {
  if (text.empty()) return false;
  std::size_t used = 0;
  const long long value = c_strtoll(text, 10, &used);
  if (used != text.size() || value < low || value > high) return false;
  out = value;
  return true;
}

bool parse_share(const std::string& text, double& out) {
  if (text.empty()) return false;
  std::size_t used = 0;
  const double value = c_strtod(text, &used);
  if (used != text.size() || !std::isfinite(value) || value < 0.0 || value > 1.0) return false;
  out = value;
  return true;
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string program_usage() {
  return "usage: orvadw-sim [options]\n"
         "  --link PATH            make PATH a symlink to the pseudo-terminal\n"
         "  --jbus N               JBus number of the instrument (1-255, default 1)\n"
         "  --firmware TEXT        software version (default 10-11-A)\n"
         "  --logger-entries N     entries in the event logger (0-1000, default 25)\n"
         "  --baud RATE            pace the line at RATE baud, 10 bits a byte, and answer only\n"
         "                         while the client's line is set to RATE (default: unpaced,\n"
         "                         any speed)\n"
         "  --drop P               share of requests left unanswered (0-1)\n"
         "  --corrupt P            share of answer bytes with one bit flipped (0-1)\n"
         "  --exception CODE       answer with this exception code (1-255)...\n"
         "  --exception-rate P     ...for this share of the requests (default 1)\n"
         "  --delay MS             every answer starts this late\n"
         "  --late P --late-ms MS  share of answers held back MS more\n"
         "  --wrong-slave P        share of answers sent with another slave number\n"
         "  --garbage P            share of answers preceded by 1-8 noise bytes\n"
         "  --seed N               seed of the noise and the faults (default 1)\n"
         "  --modem                put a Hayes modem in front of the instrument\n"
         "  --dial-answer TEXT     CONNECT, BUSY, NO DIALTONE or NO CARRIER (default CONNECT)\n"
         "  --dial-delay MS        time from a dial command to its result (default 500)\n"
         "  --guard-ms MS          silence around \"+++\" (default 1000)\n"
         "  --help                 this text\n";
}

int parse_program_options(const std::vector<std::string>& args, ProgramOptions& o,
                          std::string& error) {
  using Setter = std::function<bool(const std::string&)>;
  auto integer = [](auto& target, long long low, long long high) -> Setter {
    return [&target, low, high](const std::string& v) {
      long long n = 0;
      if (!parse_integer(v, low, high, n)) return false;
      target = static_cast<std::remove_reference_t<decltype(target)>>(n);
      return true;
    };
  };
  auto share = [](double& target) -> Setter {
    return [&target](const std::string& v) { return parse_share(v, target); };
  };
  constexpr long long kMaxMs = 3'600'000;
  const std::map<std::string, Setter> with_value = {
      {"--link", [&o](const std::string& v) { o.link = v; return !v.empty(); }},
      {"--jbus", integer(o.instrument.jbus, 1, 255)},
      {"--firmware", [&o](const std::string& v) { o.instrument.firmware = v; return true; }},
      {"--logger-entries",
       integer(o.instrument.logger_entries, 0, SimulatedInstrument::kLoggerCapacity)},
      {"--baud",
       [&o](const std::string& v) {
         long long n = 0;
         speed_t speed;
         // Only a speed a client can set can be matched.
         if (!parse_integer(v, 1, 4'000'000, n) ||
             !PosixSerialPort::speed_constant(static_cast<int>(n), &speed)) {
           return false;
         }
         o.baud = static_cast<int>(n);
         return true;
       }},
      {"--drop", share(o.faults.drop)},
      {"--corrupt", share(o.faults.corrupt)},
      {"--exception", integer(o.faults.exception_code, 1, 255)},
      {"--exception-rate", share(o.faults.exception_rate)},
      {"--delay", integer(o.faults.delay_ms, 0, kMaxMs)},
      {"--late", share(o.faults.late)},
      {"--late-ms", integer(o.faults.late_ms, 0, kMaxMs)},
      {"--wrong-slave", share(o.faults.wrong_slave)},
      {"--garbage", share(o.faults.garbage)},
      {"--seed",
       [&o](const std::string& v) {
         long long n = 0;
         if (!parse_integer(v, 0, 0x7FFFFFFFFFFFFFFFLL, n)) return false;
         o.faults.seed = static_cast<std::uint64_t>(n);
         o.instrument.seed = static_cast<std::uint64_t>(n);
         return true;
       }},
      {"--dial-answer",
       [&o](const std::string& v) {
         const std::string u = upper(v);
         if (u != "CONNECT" && u != "BUSY" && u != "NO DIALTONE" && u != "NO CARRIER") {
           return false;
         }
         o.dial_answer = u;
         return true;
       }},
      {"--dial-delay", integer(o.dial_delay_ms, 0, kMaxMs)},
      {"--guard-ms", integer(o.guard_ms, 0, kMaxMs)},
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool has_value = false;
    if (const std::size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      has_value = true;
    }
    if (name == "--help" || name == "-h") {
      o.help = true;
      continue;
    }
    if (name == "--modem") {
      o.modem = true;
      continue;
    }
    const auto it = with_value.find(name);
    if (it == with_value.end()) {
      error = "unknown option " + name;
      return 2;
    }
    if (!has_value) {
      if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return 2;
      }
      value = args[++i];
    }
    if (!it->second(value)) {
      error = "bad value for " + name + ": \"" + value + "\"";
      return 2;
    }
  }
  return 0;
}

}  // namespace orvadw::sim
