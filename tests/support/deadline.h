#pragma once
// Bounded waits: what is left of a deadline, as poll() takes it.
#include <chrono>

namespace orvadw::test {

// Milliseconds until deadline, rounded up; 0 once it has passed.
inline int ms_left(std::chrono::steady_clock::time_point deadline) {
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
          .count();
  return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace orvadw::test
