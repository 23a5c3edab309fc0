#include "files/recording_pace.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace orvadw {

namespace {
int whole(double value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<int>(std::clamp(std::trunc(value), static_cast<double>(INT_MIN),
                                     static_cast<double>(INT_MAX)));
}
}  // namespace

int RecordingPace::period_from_setting(double seconds) {
  return std::max(whole(seconds), kMinimumPeriodSeconds);
}

int RecordingPace::minutes_from_setting(double minutes) { return std::max(whole(minutes), 0); }

RecordingPace::RecordingPace(int period_seconds, int max_minutes)
    : period_(std::max(period_seconds, kMinimumPeriodSeconds)), max_minutes_(std::max(max_minutes, 0)) {}

void RecordingPace::restart() {
  samples_ = 0;
  accumulator_ = 0;
  start_ = 0;
  previous_ = 0;
}

RecordingPace::Step RecordingPace::on_clock(std::int64_t clock_seconds) {
  Step step;
  if (samples_ == 0) {
    // The first answer is written at once.
    start_ = previous_ = clock_seconds;
    accumulator_ = period_;
  }
  accumulator_ += clock_seconds - previous_;
  previous_ = clock_seconds;
  if (accumulator_ >= period_) {
    accumulator_ %= period_;
    ++samples_;
    step.write = true;
  }
  if (limited() && clock_seconds >= start_ + static_cast<std::int64_t>(max_minutes_) * 60) {
    step.stop = true;
  }
  return step;
}

std::int64_t RecordingPace::remaining_seconds() const {
  if (!limited()) return 0;
  return std::max<std::int64_t>(start_ + static_cast<std::int64_t>(max_minutes_) * 60 - previous_, 0);
}

}  // namespace orvadw
