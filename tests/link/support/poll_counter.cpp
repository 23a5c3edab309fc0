#include "support/poll_counter.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/fake_line.h"

namespace orvadw::test {

void PollCounter::post_message(std::string_view, long, long) {
  if (master_.poll_result().data.empty()) {
    ++failed;
  } else {
    ++good;
  }
  master_.resume_polling();
}

bool wait_for_count(const std::atomic<int>& count, int n, std::chrono::milliseconds within) {
  const auto deadline = Clock::now() + within;
  while (count.load() < n && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return count.load() >= n;
}

void expect_paced_failures(JBusMaster& master, const PollCounter& counter) {
  const int failed_before = counter.failed.load();
  const auto cpu_before = process_cpu_time();
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  const auto cpu = process_cpu_time() - cpu_before;
  const int failed_in_second = counter.failed.load() - failed_before;
  master.stop_polling();
  EXPECT_FALSE(master.is_alive());
  EXPECT_GE(failed_in_second, 2);
  EXPECT_LE(failed_in_second, 10);
  EXPECT_LT(cpu, std::chrono::milliseconds(400));
}

}  // namespace orvadw::test
