#include "link/traffic_tap.h"

#include "base/result_codes.h"

namespace orvadw {

namespace {

std::string hex_bytes(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (std::uint8_t b : bytes) {
    out.push_back(' ');
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0x0F]);
  }
  return out;
}

}  // namespace

std::string trace_body(const TrafficEvent& event) {
  switch (event.kind) {
    case TrafficEvent::Kind::kSent:
      return ">" + hex_bytes(event.bytes);
    case TrafficEvent::Kind::kReceived:
      return "<" + hex_bytes(event.bytes);
    case TrafficEvent::Kind::kDiscarded:
      return "!" + hex_bytes(event.bytes);
    case TrafficEvent::Kind::kVerdict:
      return "= " + std::to_string(event.code) + " " + result_text(event.code) + " (attempt " +
             std::to_string(event.attempt) + ")";
    case TrafficEvent::Kind::kModemCommand:
    case TrafficEvent::Kind::kModemAnswer:
      break;
  }
  return {};
}

std::string trace_line(const TrafficEvent& event, TrafficEvent::Clock::time_point start) {
  std::string body = trace_body(event);
  if (body.empty()) return body;
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(event.at - start).count();
  return std::to_string(ms < 0 ? 0 : ms) + " " + body;
}

}  // namespace orvadw
