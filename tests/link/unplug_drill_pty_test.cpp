// The unplug drill: the instrument's terminal vanishes and comes back a
// hundred times while the master polls it through the real termios driver,
// as a USB adapter pulled out and plugged in again would. orvadw-sim ends
// (its pseudo-terminal and the link to it go) and starts again on the same
// link, and the poller reopens the line as the programs do (LinkRecovery).
// Nothing may crash or hang, the process must stay nearly idle while the
// device is away, every return must be answered within 2 s, and no
// descriptor may be left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>
#include <vector>

#include "link/jbus_master.h"
#include "link/link_recovery.h"
#include "link/poll_signal.h"
#include "link/port_map.h"
#include "support/fake_line.h"
#include "tests/support/sim_process.h"

namespace orvadw {
namespace {

using namespace std::chrono_literals;
using test::Clock;

constexpr int kCom = 31;
constexpr int kBaudIndex = 5;
constexpr int kReturns = 100;
constexpr auto kAnswerWithin = 2s;
constexpr int kPollPeriodMs = 50;
constexpr std::size_t kLiveBlockBytes = 48;

int open_descriptors() {
  int n = 0;
  std::error_code error;
  for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
       it.increment(error)) {
    ++n;
  }
  return error ? -1 : n;
}

TEST(UnplugDrillPtyTest, TheTerminalVanishesAndComesBackAHundredTimes) {
  const int descriptors_at_start = open_descriptors();
  ASSERT_GT(descriptors_at_start, 0);
  test::SimProcess program;
  ASSERT_TRUE(program.start({})) << program.error();
  test::map_com(kCom, program.link());

  JBusMaster master;
  master.set_answer_timeout(200);
  ASSERT_EQ(master.connect(kCom, kBaudIndex), 0) << master.last_error_text();
  master.set_inter_char_timeout(30);
  // The programs try once a second. The master already paces the polls of a
  // gone line (200 ms), so here every failed poll may try: the drill stays
  // short and a return is noticed at the next paced poll.
  LinkRecovery recovery(master, kCom, kBaudIndex, 0ms);
  PollSignal signal;
  ASSERT_EQ(master.start_polling(&signal, 1, 3, 0x100, 24, kPollPeriodMs, 2, {}), 0);

  // Serves the polls as the programs do until `done` holds for an answer
  // (true) or the deadline passes (false). The poll thread waits for each
  // notice to be served, so none may be skipped.
  long served = 0;
  const auto serve_until = [&](Clock::time_point deadline,
                               const std::function<bool(const Bytes&)>& done) {
    while (signal.wait_beyond(served, deadline)) {
      ++served;
      const JBusMaster::PollRequest answer = master.poll_result();
      if (answer.data.empty()) recovery.after_failed_poll(answer.last_result);
      const bool finished = done(answer.data);
      master.resume_polling();
      if (finished) return true;
    }
    return false;
  };
  const auto answered = [](const Bytes& data) {
    EXPECT_TRUE(data.empty() || data.size() == kLiveBlockBytes) << data.size();
    return !data.empty();
  };
  const auto never = [](const Bytes&) { return false; };

  std::mt19937 rng(20261209u);
  const auto random_ms = [&rng](int low, int high) {
    return std::chrono::milliseconds(std::uniform_int_distribution<int>(low, high)(rng));
  };
  std::vector<Clock::duration> answer_delays;
  Clock::duration gone_wall{};
  std::chrono::microseconds gone_cpu{};
  int descriptors_up = -1;
  Clock::time_point returned_at = Clock::now();
  for (int round = 0; round <= kReturns; ++round) {
    ASSERT_TRUE(serve_until(returned_at + kAnswerWithin, answered))
        << "round " << round << ": no answer within 2 s of the return";
    answer_delays.push_back(Clock::now() - returned_at);
    const int descriptors = open_descriptors();
    if (descriptors_up < 0) descriptors_up = descriptors;
    ASSERT_EQ(descriptors, descriptors_up) << "round " << round;
    if (round == kReturns) break;
    // The device goes at any point of a poll: in a request, in an answer,
    // between two polls.
    serve_until(Clock::now() + random_ms(0, 100), never);

    const auto cpu_before = test::process_cpu_time();
    const auto gone_at = Clock::now();
    ASSERT_EQ(program.stop(), 0) << "round " << round;
    serve_until(Clock::now() + random_ms(80, 200), never);
    gone_cpu += test::process_cpu_time() - cpu_before;
    gone_wall += Clock::now() - gone_at;
    ASSERT_TRUE(program.restart({})) << "round " << round << ": " << program.error();
    returned_at = Clock::now();
  }
  master.stop_polling();
  master.disconnect();
  EXPECT_EQ(program.stop(), 0);
  PortMap::instance().set_device(kCom, "");
  EXPECT_EQ(open_descriptors(), descriptors_at_start);

  // A spinning poller or reader would take a core while the device is gone.
  EXPECT_LT(gone_cpu, std::chrono::duration_cast<std::chrono::microseconds>(gone_wall) / 5);
  EXPECT_GE(recovery.tries(), kReturns);

  std::sort(answer_delays.begin(), answer_delays.end());
  const auto ms = [](Clock::duration d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
  };
  std::cout << "unplug drill: " << kReturns << " returns, answered again after "
            << ms(answer_delays[answer_delays.size() / 2]) << " ms (median), "
            << ms(answer_delays.back()) << " ms (longest); " << recovery.tries()
            << " reopen tries; CPU while gone " << ms(gone_cpu) << " ms in "
            << ms(gone_wall) << " ms; descriptors " << descriptors_at_start << " at start, "
            << descriptors_up << " while up\n";
}

}  // namespace
}  // namespace orvadw
