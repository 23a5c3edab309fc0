#pragma once
// Turns the instrument's answers into what a bad line delivers, following
// FaultOptions, with one seeded generator so that a run repeats. Shared by
// the in-process wire and the pseudo-terminal program. Thread-safe.
#include <cstdint>
#include <mutex>
#include <vector>

#include "sim/fault_options.h"
#include "sim/random_source.h"

namespace orvadw::sim {

struct FaultCounters {
  std::uint64_t dropped = 0;          // answers never sent
  std::uint64_t exceptions = 0;       // answers replaced by an exception
  std::uint64_t corrupted_bytes = 0;  // answer bytes with one bit flipped
  std::uint64_t garbage = 0;          // answers preceded by noise bytes
  std::uint64_t wrong_slave = 0;      // answers sent with another slave number
  std::uint64_t late = 0;             // answers held back late_ms more
};

struct FaultedAnswer {
  std::vector<std::uint8_t> bytes;  // empty when dropped
  int delay_ms = 0;                 // when the first byte may go out
  bool exception = false;           // the answer was replaced by an exception
};

class FaultInjector {
 public:
  explicit FaultInjector(const FaultOptions& options = {});

  // New options apply to the next answer; the generator restarts only when
  // the seed changes, so that switching a fault on and off keeps the run's
  // sequence.
  void set_options(const FaultOptions& options);
  // Starts over: these options, the generator from their seed, no counts.
  void reset(const FaultOptions& options);

  // The instrument's answer (empty: it stayed silent) in, the line's out.
  FaultedAnswer apply(std::vector<std::uint8_t> answer);

  FaultCounters counters() const;

 private:
  mutable std::mutex mutex_;
  FaultOptions options_;
  RandomSource random_;
  FaultCounters counters_;
};

}  // namespace orvadw::sim
