#pragma once
// When a measurement recording writes a sample, paced by the instrument's own
// clock (never the PC's): the first answer is written at once, then one
// sample each time the clock has moved on by the sample period, the
// remainder carried over. A clock that goes back makes the wait longer; a
// gap in the answers (a lost link) gives one sample when they resume, not a
// burst. With a maximum recording time the recording ends at the first
// answer whose clock has reached start + maximum.
#include <cstdint>

namespace orvadw {

class RecordingPace {
 public:
  static constexpr int kMinimumPeriodSeconds = 1;

  // The sample period from the setting "Sample Record Time" (seconds,
  // truncated). A period below one second (0, negative, or a value that is
  // not a number and so reads as 0) would write at every answer and divide
  // by zero: it counts as one second.
  static int period_from_setting(double seconds);
  // The maximum time from "Record Lap Time" (minutes, truncated); anything
  // not above 0 means no limit.
  static int minutes_from_setting(double minutes);

  RecordingPace(int period_seconds, int max_minutes);

  // Forgets every sample: the next clock starts a new recording.
  void restart();

  struct Step {
    bool write = false;  // write a sample now
    bool stop = false;   // the maximum time is reached: stop after this one
  };
  // One good answer with the instrument clock, in seconds since 1980.
  Step on_clock(std::int64_t clock_seconds);

  int period() const { return period_; }
  int max_minutes() const { return max_minutes_; }
  bool limited() const { return max_minutes_ > 0; }
  int samples() const { return samples_; }
  std::int64_t accumulator() const { return accumulator_; }
  // Seconds left until the maximum time at the last clock, never below 0.
  std::int64_t remaining_seconds() const;

 private:
  int period_;
  int max_minutes_;
  int samples_ = 0;
  std::int64_t accumulator_ = 0;
  std::int64_t start_ = 0;
  std::int64_t previous_ = 0;
};

}  // namespace orvadw
