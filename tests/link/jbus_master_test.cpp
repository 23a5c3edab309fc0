#include "link/jbus_master.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <thread>

#include "base/result_codes.h"
#include "support/fake_line.h"

namespace orvadw {
namespace {

using test::Clock;
using test::FakeLine;
using std::chrono::milliseconds;

// Register r reads as a value that depends on its address, so that an
// answer for another address is recognisably wrong.
Bytes register_bytes(int address, int count) {
  Bytes out;
  for (int r = address; r < address + count; ++r) {
    out.push_back(static_cast<std::uint8_t>((r >> 8) ^ 0xA0));
    out.push_back(static_cast<std::uint8_t>(r * 7 + 3));
  }
  return out;
}

Bytes frame(std::uint8_t slave, std::uint8_t function, const Bytes& data) {
  JBusFrame f;
  f.build(slave, function, data);
  return f.raw();
}

// The answer a healthy instrument gives to a request.
Bytes normal_answer(const Bytes& request) {
  const int address = request[2] << 8 | request[3];
  const int count = request[4] << 8 | request[5];
  if (request[1] == 16) return frame(request[0], 16, Bytes(request.begin() + 2, request.begin() + 6));
  Bytes data{static_cast<std::uint8_t>(count * 2)};
  const Bytes regs = register_bytes(address, count);
  data.insert(data.end(), regs.begin(), regs.end());
  return frame(request[0], request[1], data);
}

class Poster : public NotifyTarget {
 public:
  void post_message(std::string_view name, long wparam, long lparam) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (name == "WM_NEW_TRAME" && wparam == 0 && lparam == 0) ++posts_;
    cv_.notify_all();
  }
  int posts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return posts_;
  }
  bool wait_posts(int n, milliseconds limit = milliseconds(5000)) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, limit, [&] { return posts_ >= n; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  int posts_ = 0;
};

class JBusMasterTest : public ::testing::Test {
 protected:
  static constexpr int kAnswerMs = 120;
  static constexpr int kGapMs = 30;

  void SetUp() override {
    line_ = FakeLine::create("master");
    test::map_com(2, "fake:master");
  }
  void connect(int baud_index = 5) {
    ASSERT_EQ(master_.connect(2, baud_index), 0);
    master_.set_answer_timeout(kAnswerMs);
    master_.set_inter_char_timeout(kGapMs);
  }
  void answer_all() {
    line_->set_peer([](FakeLine& line, const Bytes& request) {
      line.queue(normal_answer(request), milliseconds(2));
    });
  }
  std::shared_ptr<FakeLine> line_;
  JBusMaster master_;
};

TEST_F(JBusMasterTest, ReadPutsTheExactRequestOnTheWireAndReturnsTheRegisters) {
  connect();
  answer_all();
  Bytes data{0xEE};
  ASSERT_EQ(master_.transact(1, 3, 0x0000, 1, data, 2), 0);
  EXPECT_EQ(line_->written(), (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}));
  EXPECT_EQ(data, register_bytes(0, 1));
  EXPECT_EQ(master_.attempt(), 1);

  ASSERT_EQ(master_.transact(1, 4, 0x1000, 50, data, 2), 0);
  EXPECT_EQ(data, register_bytes(0x1000, 50));
  EXPECT_EQ(line_->requests().size(), 2u);
}

TEST_F(JBusMasterTest, WriteSendsDataAndLeavesTheLastThreeEchoBytes) {
  connect();
  answer_all();
  Bytes data{0x11, 0x22, 0x33};
  ASSERT_EQ(master_.transact(1, 16, 0x230A, 2, data, 2), 0);
  EXPECT_EQ(data, (Bytes{0x0A, 0x00, 0x02}));
  const Bytes sent = line_->written();
  EXPECT_EQ(Bytes(sent.begin(), sent.end() - 2),
            (Bytes{0x01, 0x10, 0x23, 0x0A, 0x00, 0x02, 0x04, 0x11, 0x22, 0x33, 0x00}));
}

TEST_F(JBusMasterTest, RequestsThatCannotBeBuiltOrSentFailAtOnce) {
  Bytes data{1, 2};
  EXPECT_EQ(master_.transact(1, 3, 0, 1, data, 2), result::kPortNotOpened);
  EXPECT_TRUE(data.empty());
  connect();
  answer_all();
  data = Bytes(248, 0);
  EXPECT_EQ(master_.transact(1, 16, 0x1000, 124, data, 2), result::kRequestNotBuilt);
  EXPECT_TRUE(data.empty());
  data = {1, 2, 3, 4};  // 2 registers of data announced as 3
  EXPECT_EQ(master_.transact(1, 16, 0x1000, 3, data, 2), result::kRequestNotBuilt);
  data.clear();
  EXPECT_EQ(master_.transact(1, 3, 0x10000, 1, data, 2), result::kRequestNotBuilt);
  EXPECT_EQ(master_.transact(1, 3, 0, -1, data, 2), result::kRequestNotBuilt);
  EXPECT_TRUE(line_->written().empty());
  data = Bytes(246, 0x5A);
  EXPECT_EQ(master_.transact(1, 16, 0x1000, 123, data, 2), 0);
  EXPECT_EQ(line_->written().size(), 255u);
}

TEST_F(JBusMasterTest, SilentInstrumentGives251AfterThreeAttempts) {
  connect();
  master_.set_inter_char_timeout(10);
  Bytes data;
  const auto start = Clock::now();
  EXPECT_EQ(master_.transact(1, 3, 0x100, 4, data, 2), result::kNoAnswer);
  const auto took = Clock::now() - start;
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(line_->requests().size(), 3u);
  EXPECT_EQ(master_.attempt(), 3);
  // About 3 answer time-outs; the quiet waits between attempts add little.
  EXPECT_GE(took, milliseconds(3 * kAnswerMs - 5));
  EXPECT_LT(took, milliseconds(3 * (kAnswerMs + 10) + 1500));
}

TEST_F(JBusMasterTest, ExceptionAnswerEndsByTheGapTimeoutAndIsAskedAgain) {
  connect();
  master_.set_inter_char_timeout(80);
  int asked = 0;
  line_->set_peer([&](FakeLine& line, const Bytes& request) {
    ++asked;
    line.queue(frame(request[0], request[1] | 0x80, {0x02}), milliseconds(5), milliseconds(1));
  });
  Bytes data;
  const auto start = Clock::now();
  EXPECT_EQ(master_.transact(1, 3, 0x2000, 10, data, 2), 152);
  const auto took = Clock::now() - start;
  EXPECT_EQ(asked, 3);
  EXPECT_TRUE(data.empty());
  // Each 5-byte answer to a 25-byte request waits one gap time-out.
  EXPECT_GE(took, milliseconds(3 * 80));
  EXPECT_LT(took, milliseconds(3 * (kAnswerMs + 80) + 1500));
}

TEST_F(JBusMasterTest, DamagedAnswersAreRetriedAndNeverReturned) {
  connect();
  int asked = 0;
  line_->set_peer([&](FakeLine& line, const Bytes& request) {
    ++asked;
    Bytes answer = normal_answer(request);
    if (asked == 1) answer[4] ^= 0x10;                                  // CRC error
    if (asked == 2) answer[0] = 9;                                      // another slave
    if (asked == 2) answer = frame(9, 3, Bytes(answer.begin() + 2, answer.end() - 2));
    if (asked == 3) answer.insert(answer.begin(), {0xFF, 0x00, 0x13});  // noise first
    if (asked == 4) answer[2] ^= 0x01;                                  // CRC error
    line.queue(answer, milliseconds(2));
  });
  Bytes data;
  EXPECT_EQ(master_.transact(1, 3, 0x10, 3, data, 2), 201);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(master_.transact(1, 3, 0x10, 3, data, 2), 0);
  EXPECT_EQ(asked, 5);
  EXPECT_EQ(data, register_bytes(0x10, 3));
}

TEST_F(JBusMasterTest, LateAnswerToAFailedTransactionIsNotTakenByTheNextOne) {
  connect();
  // Attempts 1 and 2 go unanswered; the third is answered after the answer
  // time-out, while the next transaction would already be on its way.
  int asked = 0;
  line_->set_peer([&](FakeLine& line, const Bytes& request) {
    ++asked;
    if (asked == 3) line.queue(normal_answer(request), milliseconds(kAnswerMs + 12));
    if (asked >= 4) line.queue(normal_answer(request), milliseconds(2));
  });
  Bytes data;
  EXPECT_EQ(master_.transact(1, 3, 0x100, 8, data, 2), result::kNoAnswer);
  EXPECT_EQ(master_.transact(1, 3, 0x200, 8, data, 2), 0);
  EXPECT_EQ(data, register_bytes(0x200, 8));
  EXPECT_EQ(master_.transact(1, 3, 0x300, 8, data, 2), 0);
  EXPECT_EQ(data, register_bytes(0x300, 8));
}

TEST_F(JBusMasterTest, LateAnswerWithinATransactionIsNotTakenForTheNextAttempt) {
  connect();
  // The first attempt's answer comes late; a second, different-looking
  // answer to the retry proves which one was taken.
  int asked = 0;
  line_->set_peer([&](FakeLine& line, const Bytes& request) {
    ++asked;
    Bytes answer = normal_answer(request);
    if (asked == 1) {
      answer[3] ^= 0xFF;  // recognisable and still well formed
      answer = frame(answer[0], answer[1], Bytes(answer.begin() + 2, answer.end() - 2));
      line.queue(answer, milliseconds(kAnswerMs + 10));
    } else {
      line.queue(answer, milliseconds(2));
    }
  });
  Bytes data;
  EXPECT_EQ(master_.transact(1, 3, 0x40, 2, data, 2), 0);
  EXPECT_EQ(data, register_bytes(0x40, 2));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(line_->pending(), 0);
}

TEST_F(JBusMasterTest, ChatteringLineCannotHoldATransactionPastItsBound) {
  connect();
  master_.set_answer_timeout(60);
  master_.set_inter_char_timeout(20);
  line_->queue(Bytes(3000, 0x55), milliseconds(0), milliseconds(2));  // 6 s of noise
  Bytes data;
  const auto start = Clock::now();
  const int rc = master_.transact(1, 3, 0x100, 100, data, 2);
  const auto took = Clock::now() - start;
  EXPECT_NE(rc, 0);
  EXPECT_TRUE(data.empty());
  // 3 x (answer + gap + frame of 213 bytes at 9600 baud, about 245 ms).
  EXPECT_LT(took, milliseconds(3 * (60 + 20 + 250) + 400));
  line_->drop_all();
}

TEST_F(JBusMasterTest, SecondTransactionWhileOneRunsIsRefusedAtOnce) {
  connect();
  line_->set_peer([](FakeLine& line, const Bytes& request) {
    line.queue(normal_answer(request), milliseconds(400));
  });
  master_.set_answer_timeout(1000);  // the slow answer is still in time
  Bytes first;
  int first_rc = -99;
  std::thread runner([&] { first_rc = master_.transact(1, 3, 0x500, 5, first, 2); });
  while (!master_.is_busy()) std::this_thread::yield();
  Bytes second{7};
  const auto start = Clock::now();
  EXPECT_EQ(master_.transact(1, 3, 0x600, 5, second, 2), result::kBusy);
  // Refused at once: well before the running transaction's answer is due.
  EXPECT_LT(Clock::now() - start, milliseconds(100));
  EXPECT_TRUE(master_.is_busy());
  EXPECT_EQ(second, Bytes{7});
  runner.join();
  EXPECT_EQ(first_rc, 0);
  EXPECT_EQ(first, register_bytes(0x500, 5));
  EXPECT_EQ(line_->requests().size(), 1u);
}

TEST_F(JBusMasterTest, BluetoothLineSpacesTheBytesOfEachRequest) {
  connect(JBusLink::kBluetoothBaudIndex);
  answer_all();
  Bytes data;
  ASSERT_EQ(master_.transact(1, 3, 0, 2, data, 2), 0);
  auto writes = line_->writes();
  ASSERT_EQ(writes.size(), 8u);
  for (std::size_t i = 1; i < writes.size(); ++i) {
    EXPECT_GE(writes[i].at - writes[i - 1].at, std::chrono::microseconds(2900)) << i;
  }
  line_->clear_writes();
  data = {1, 2};
  ASSERT_EQ(master_.transact(1, 16, 0x230A, 1, data, 2), 0);
  writes = line_->writes();
  ASSERT_EQ(writes.size(), 11u);
  for (std::size_t i = 1; i < writes.size(); ++i) {
    EXPECT_GE(writes[i].at - writes[i - 1].at, std::chrono::microseconds(19900)) << i;
  }
  // Other speeds send the frame in one go.
  ASSERT_EQ(master_.connect(2, 5), 0);
  line_->clear_writes();
  ASSERT_EQ(master_.transact(1, 3, 0, 2, data, 2), 0);
  writes = line_->writes();
  ASSERT_EQ(writes.size(), 8u);
  // One write: far less than the 21 ms that the Bluetooth spacing would take.
  EXPECT_LT(writes.back().at - writes.front().at, milliseconds(10));
}

TEST_F(JBusMasterTest, PollingPostsAfterEachPollAndStopsCleanly) {
  connect();
  answer_all();
  Poster poster;
  ASSERT_EQ(master_.start_polling(&poster, 1, 3, 0x100, 4, 10, 2, {}), 0);
  EXPECT_EQ(master_.start_polling(&poster, 1, 3, 0x100, 4, 10, 2, {}), -1);
  ASSERT_TRUE(poster.wait_posts(1));
  // Without resume_polling nothing more happens.
  std::this_thread::sleep_for(milliseconds(100));
  EXPECT_EQ(poster.posts(), 1);
  auto result = master_.poll_result();
  EXPECT_EQ(result.address, 0x100);
  EXPECT_EQ(result.data, register_bytes(0x100, 4));
  EXPECT_EQ(result.last_result, 0);

  master_.set_poll_request(1, 3, 0x180, 6, {}, 2);
  master_.resume_polling();
  ASSERT_TRUE(poster.wait_posts(2));
  result = master_.poll_result();
  EXPECT_EQ(result.address, 0x180);
  EXPECT_EQ(result.count, 6);
  EXPECT_EQ(result.data, register_bytes(0x180, 6));

  // A failed poll leaves empty data.
  line_->set_peer({});
  master_.resume_polling();
  ASSERT_TRUE(poster.wait_posts(3));
  EXPECT_TRUE(master_.poll_result().data.empty());
  EXPECT_EQ(master_.poll_result().last_result, result::kNoAnswer);

  answer_all();
  for (int i = 0; i < 5; ++i) {
    master_.resume_polling();
    ASSERT_TRUE(poster.wait_posts(4 + i));
  }
  master_.resume_polling();
  master_.stop_polling();
  EXPECT_FALSE(master_.is_polling());
  const int after_stop = poster.posts();
  master_.resume_polling();
  std::this_thread::sleep_for(milliseconds(200));
  EXPECT_EQ(poster.posts(), after_stop);

  // Polling can start again.
  ASSERT_EQ(master_.start_polling(&poster, 1, 3, 0x100, 4, 10, 2, {}), 0);
  ASSERT_TRUE(poster.wait_posts(after_stop + 1));
  master_.stop_polling();
}

TEST_F(JBusMasterTest, StopPollingWhileAPollWaitsForItsAnswer) {
  connect();
  line_->set_peer({});  // every poll runs its full three attempts
  Poster poster;
  ASSERT_EQ(master_.start_polling(&poster, 1, 3, 0x100, 4, 0, 2, {}), 0);
  std::this_thread::sleep_for(milliseconds(50));
  const auto start = Clock::now();
  master_.stop_polling();
  EXPECT_LT(Clock::now() - start, milliseconds(3 * (kAnswerMs + kGapMs) + 1000));
  std::this_thread::sleep_for(milliseconds(100));
  EXPECT_EQ(poster.posts(), 0);
}

TEST_F(JBusMasterTest, PollingDoesNotRunTheIdleHook) {
  connect();
  answer_all();
  std::atomic<int> foreign{0};
  const auto owner = std::this_thread::get_id();
  master_.set_idle_hook([&] {
    if (std::this_thread::get_id() != owner) ++foreign;
  });
  line_->set_peer([](FakeLine& line, const Bytes& request) {
    line.queue(normal_answer(request), milliseconds(60));
  });
  Poster poster;
  ASSERT_EQ(master_.start_polling(&poster, 1, 3, 0x100, 4, 0, 2, {}), 0);
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(poster.wait_posts(i));
    master_.resume_polling();
  }
  master_.stop_polling();
  EXPECT_EQ(foreign.load(), 0);
}

TEST_F(JBusMasterTest, VanishedDeviceFailsFastAndPollingDoesNotSpin) {
  connect();
  answer_all();
  Bytes data;
  ASSERT_EQ(master_.transact(1, 3, 0x100, 4, data, 2), 0);
  line_->unplug();
  auto start = Clock::now();
  EXPECT_EQ(master_.transact(1, 3, 0x100, 4, data, 2), result::kNoSuchPort);
  EXPECT_LT(Clock::now() - start, milliseconds(500));
  EXPECT_TRUE(data.empty());

  // A view that resumes at once, as a real one would after painting.
  class Resumer : public NotifyTarget {
   public:
    explicit Resumer(JBusMaster& m) : master_(m) {}
    void post_message(std::string_view, long, long) override {
      ++posts;
      master_.resume_polling();
    }
    std::atomic<int> posts{0};

   private:
    JBusMaster& master_;
  } view(master_);
  const auto cpu_before = test::process_cpu_time();
  start = Clock::now();
  ASSERT_EQ(master_.start_polling(&view, 1, 3, 0x100, 4, 0, 2, {}), 0);
  std::this_thread::sleep_for(milliseconds(1000));
  master_.stop_polling();
  const auto cpu = test::process_cpu_time() - cpu_before;
  // Failed polls keep coming, paced, and the process stays nearly idle.
  EXPECT_GE(view.posts.load(), 2);
  EXPECT_LT(view.posts.load(), 20);
  EXPECT_LT(cpu, milliseconds(400));
}

}  // namespace
}  // namespace orvadw
