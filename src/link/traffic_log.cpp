#include "link/traffic_log.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "base/replacement_file.h"

namespace orvadw {

TrafficLog::ClockAnchor TrafficLog::ClockAnchor::now() {
  return {TrafficEvent::Clock::now(), std::chrono::system_clock::now()};
}

TrafficLog::TrafficLog(std::size_t max_lines) : max_lines_(max_lines == 0 ? 1 : max_lines) {}

std::string TrafficLog::line(const TrafficEvent& event, const ClockAnchor& anchor) {
  std::string body = trace_body(event);
  if (body.empty()) return body;
  using std::chrono::milliseconds;
  const auto wall = anchor.wall + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                      event.at - anchor.steady);
  const auto since_epoch =
      std::chrono::duration_cast<milliseconds>(wall.time_since_epoch()).count();
  // Floor division: a time before the epoch still gives 0..999 ms.
  long long seconds = since_epoch / 1000;
  long long ms = since_epoch % 1000;
  if (ms < 0) {
    ms += 1000;
    seconds -= 1;
  }
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
  ::localtime_r(&t, &local);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03lld ", local.tm_hour, local.tm_min,
                local.tm_sec, ms);
  return stamp + body;
}

void TrafficLog::push(std::string line) {
  if (lines_.size() >= max_lines_) lines_.pop_front();
  lines_.push_back(std::move(line));
}

std::vector<std::string> TrafficLog::append(const TrafficBatch::Batch& batch,
                                            const ClockAnchor& anchor) {
  std::vector<std::string> added;
  if (batch.dropped > 0) {
    added.push_back("(" + std::to_string(batch.dropped) + " older events were not kept)");
  }
  for (const TrafficEvent& event : batch.events) {
    std::string text = line(event, anchor);
    if (!text.empty()) added.push_back(std::move(text));
  }
  // Only the last lines of a batch larger than the list stay.
  const std::size_t skip = added.size() > max_lines_ ? added.size() - max_lines_ : 0;
  if (skip > 0) added.erase(added.begin(), added.begin() + static_cast<std::ptrdiff_t>(skip));
  for (const std::string& text : added) push(text);
  return added;
}

int TrafficLog::save(const std::string& path) const {
  std::string content;
  std::size_t size = 0;
  for (const std::string& text : lines_) size += text.size() + 1;
  content.reserve(size);
  for (const std::string& text : lines_) {
    content += text;
    content += '\n';
  }
  int error = 0;
  if (replace_file_contents(path, content, &error) != 0) return error != 0 ? error : EIO;
  return 0;
}

}  // namespace orvadw
