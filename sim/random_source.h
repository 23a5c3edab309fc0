#pragma once
// A small, fast, seeded generator (splitmix64). The simulator draws its noise
// and its faults from it so that a run with the same seed repeats exactly,
// whatever standard library it is built with.
#include <cstdint>

namespace orvadw::sim {

class RandomSource {
 public:
  explicit RandomSource(std::uint64_t seed = 1) : state_(seed) {}

  void reseed(std::uint64_t seed) { state_ = seed; }

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // Uniform in [0, 1).
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  // Uniform in [low, high).
  double uniform(double low, double high) { return low + (high - low) * uniform(); }
  // Uniform integer in [0, n); 0 when n is 0.
  std::uint32_t below(std::uint32_t n) {
    return n == 0 ? 0 : static_cast<std::uint32_t>((next() >> 32) % n);
  }
  // True with probability p (p <= 0 never, p >= 1 always, without a draw).
  bool chance(double p) {
    if (p <= 0.0) return false;
    if (p >= 1.0) return true;
    return uniform() < p;
  }

 private:
  std::uint64_t state_;
};

}  // namespace orvadw::sim
