#pragma once
// The ways the simulated instrument misbehaves on purpose, so that tests and
// benchmarks meet bad lines on demand. Shares are probabilities 0..1, drawn
// from one seeded generator so that a run can be repeated.
#include <cstdint>

namespace orvadw::sim {

struct FaultOptions {
  double drop = 0.0;          // share of requests left unanswered
  double corrupt = 0.0;       // share of answer bytes changed (one bit flipped)
  int exception_code = 0;     // when not 0, answer with this exception code...
  double exception_rate = 1.0;  // ...for this share of the requests
  int delay_ms = 0;           // every answer starts this late
  double late = 0.0;          // share of answers held back late_ms more
  int late_ms = 0;
  double wrong_slave = 0.0;   // share of answers sent with another slave number
  double garbage = 0.0;       // share of answers preceded by 1..8 noise bytes
  std::uint64_t seed = 1;
};

}  // namespace orvadw::sim
