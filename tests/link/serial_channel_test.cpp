#include "link/serial_channel.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/result_codes.h"
#include "support/fake_line.h"

namespace orvadw {
namespace {

using test::Clock;
using test::FakeLine;
using std::chrono::milliseconds;

// Collects what the reader hands over.
class Recorder : public SerialReceiver {
 public:
  int on_byte(int value) override {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(value);
    cv_.notify_all();
    return 0;
  }
  void on_timeout() override {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(kTimeout);
    cv_.notify_all();
  }
  // Waits (bounded) until n events came.
  std::vector<int> wait_for(std::size_t n, milliseconds limit = milliseconds(3000)) {
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait_for(lock, limit, [&] { return events_.size() >= n; });
    return events_;
  }
  std::vector<int> events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }
  static constexpr int kTimeout = 1000;

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<int> events_;
};

class SerialChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    line_ = FakeLine::create("chan");
    test::map_com(4, "fake:chan");
  }
  std::shared_ptr<FakeLine> line_;
  Recorder recorder_;
  SerialChannel channel_;
};

TEST_F(SerialChannelTest, OpenRefusesNoReceiverAndUnknownPorts) {
  EXPECT_EQ(channel_.open(nullptr, 4, 9600, 'N', 8, 1), -1);
  EXPECT_FALSE(channel_.is_open());
  test::map_com(9, "");
  EXPECT_EQ(channel_.open(&recorder_, 9, 9600, 'N', 8, 1), -1);
  EXPECT_EQ(channel_.last_error(), result::kNoSuchPort);
  EXPECT_FALSE(channel_.last_error_text().empty());
  line_->set_open_failure(result::kPortInUse);
  EXPECT_EQ(channel_.open(&recorder_, 4, 9600, 'N', 8, 1), -1);
  EXPECT_EQ(channel_.last_error(), result::kPortInUse);
  line_->set_open_failure(0);
  EXPECT_EQ(channel_.open(&recorder_, 4, 9600, 'N', 8, 1), 0);
  EXPECT_TRUE(channel_.is_open());
  EXPECT_EQ(line_->last_baud(), 9600);
}

TEST_F(SerialChannelTest, ReopenKeepsALivePortWithSameSettings) {
  ASSERT_EQ(channel_.open(&recorder_, 4, 9600, 'N', 8, 1), 0);
  SerialPort* first = channel_.port();
  ASSERT_EQ(channel_.start_reader(500), 1);
  // Same port, speed, parity (any case) and data bits: kept, reader untouched.
  EXPECT_EQ(channel_.open(&recorder_, 4, 9600, 'n', 8, 2), 0);
  EXPECT_EQ(channel_.port(), first);
  EXPECT_EQ(line_->opens(), 1);
  EXPECT_EQ(line_->last_stop_bits(), 2);  // applied to the kept port
  EXPECT_TRUE(channel_.reader_running());
  // Another speed: reopened.
  EXPECT_EQ(channel_.open(&recorder_, 4, 4800, 'N', 8, 1), 0);
  EXPECT_EQ(line_->opens(), 2);
  EXPECT_EQ(line_->last_baud(), 4800);
  // A port whose device went away is not kept: the reopen is attempted (and fails).
  line_->unplug();
  EXPECT_FALSE(channel_.is_alive());
  EXPECT_EQ(channel_.open(&recorder_, 4, 4800, 'N', 8, 1), -1);
  EXPECT_FALSE(channel_.is_open());
}

TEST_F(SerialChannelTest, SendWritesBytesInOrderAndHonoursTheByteDelay) {
  ASSERT_EQ(channel_.open(&recorder_, 4, 9600, 'N', 8, 1), 0);
  const Bytes frame{1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(channel_.send(frame), 0);
  EXPECT_EQ(line_->written(), frame);

  line_->clear_writes();
  channel_.set_byte_delay(0.003f);
  const auto start = Clock::now();
  EXPECT_EQ(channel_.send(frame), 0);
  EXPECT_GE(Clock::now() - start, milliseconds(24));
  const auto writes = line_->writes();
  ASSERT_EQ(writes.size(), 8u);
  for (std::size_t i = 1; i < writes.size(); ++i) {
    EXPECT_GE(writes[i].at - writes[i - 1].at, std::chrono::microseconds(2900)) << i;
    EXPECT_EQ(writes[i].byte, frame[i]);
  }
  line_->unplug();
  EXPECT_EQ(channel_.send(frame), result::kNoSuchPort);
}

TEST_F(SerialChannelTest, PurgeEmptiesTheLineAndReportsWhichSideFailed) {
  ASSERT_EQ(channel_.open(&recorder_, 4, 9600, 'N', 8, 1), 0);
  EXPECT_EQ(channel_.purge(), 0);  // idle line
  line_->queue(Bytes(200, 0x55));
  EXPECT_EQ(channel_.purge(), 0);
  EXPECT_EQ(line_->pending(), 0);
  line_->set_failure("read_block", result::kGeneralFailure);
  EXPECT_EQ(channel_.purge(), result::kRxDrainFailed);
  line_->set_failure("read_block", 0);
  line_->set_failure("purge_transmit", result::kGeneralFailure);
  EXPECT_EQ(channel_.purge(), result::kTxPurgeFailed);
  line_->set_failure("purge_transmit", result::kNotSupported);
  EXPECT_EQ(channel_.purge(), 0);  // a driver without a transmit queue
}

TEST_F(SerialChannelTest, ReaderDeliversOneByteOrTimeoutPerArm) {
  ASSERT_EQ(channel_.open(&recorder_, 4, 9600, 'N', 8, 1), 0);
  EXPECT_EQ(channel_.start_reader(100), 1);
  EXPECT_EQ(channel_.start_reader(100), 0);
  line_->queue({0x10, 0x20});
  channel_.arm();
  EXPECT_EQ(recorder_.wait_for(1), (std::vector<int>{0x10}));
  // Not armed: the second byte waits in the line.
  std::this_thread::sleep_for(milliseconds(50));
  EXPECT_EQ(recorder_.events().size(), 1u);
  channel_.arm();
  EXPECT_EQ(recorder_.wait_for(2), (std::vector<int>{0x10, 0x20}));
  const auto start = Clock::now();
  channel_.arm();
  EXPECT_EQ(recorder_.wait_for(3).back(), Recorder::kTimeout);
  EXPECT_GE(Clock::now() - start, milliseconds(95));
  channel_.stop_reader();
  EXPECT_FALSE(channel_.reader_running());
}

TEST_F(SerialChannelTest, StopReaderEndsAReadThatWouldWaitForEver) {
  ASSERT_EQ(channel_.open(&recorder_, 4, 9600, 'N', 8, 1), 0);
  ASSERT_EQ(channel_.start_reader(-1), 1);
  channel_.arm();
  std::this_thread::sleep_for(milliseconds(30));
  const auto start = Clock::now();
  channel_.stop_reader();
  EXPECT_LT(Clock::now() - start, milliseconds(2000));
  EXPECT_TRUE(recorder_.events().empty());  // the interrupted read is not a time-out
  // And it starts again.
  EXPECT_EQ(channel_.start_reader(50), 1);
  channel_.close();
  EXPECT_FALSE(channel_.is_open());
}

TEST_F(SerialChannelTest, DisarmedReadIsNotDeliveredAndLetsGoOfThePort) {
  ASSERT_EQ(channel_.open(&recorder_, 4, 9600, 'N', 8, 1), 0);
  ASSERT_EQ(channel_.start_reader(1000), 1);
  // The byte comes well after the read is withdrawn, with room for a loaded
  // machine between the two.
  line_->queue({0x77}, milliseconds(300));
  channel_.arm();
  std::this_thread::sleep_for(milliseconds(20));
  channel_.disarm();
  // The withdrawn read ends long before its 1000 ms: a drain gets the port
  // and throws the late byte away (a read that held the port would make the
  // drain wait past 1000 + 300 ms).
  const auto start = Clock::now();
  EXPECT_EQ(channel_.drain_until_silent(start, milliseconds(300), start + milliseconds(3000)), 1);
  EXPECT_LT(Clock::now() - start, milliseconds(1000));
  EXPECT_TRUE(recorder_.events().empty());
  // A new request is served normally.
  line_->queue({0x78});
  channel_.arm();
  EXPECT_EQ(recorder_.wait_for(1), (std::vector<int>{0x78}));
}

TEST_F(SerialChannelTest, DrainWaitsForQuietAndIsBoundedOnAChatteringLine) {
  ASSERT_EQ(channel_.open(&recorder_, 4, 9600, 'N', 8, 1), 0);
  line_->queue(Bytes(10, 0xAA), milliseconds(0), milliseconds(5));
  auto start = Clock::now();
  Clock::time_point last;
  EXPECT_EQ(channel_.drain_until_silent(start, milliseconds(25), start + milliseconds(2000), &last),
            10);
  EXPECT_EQ(line_->pending(), 0);
  EXPECT_GE(Clock::now() - last, milliseconds(24));

  // Quiet since long ago and nothing waiting: no wait at all.
  start = Clock::now();
  EXPECT_EQ(channel_.drain_until_silent(start - milliseconds(500), milliseconds(200),
                                        start + milliseconds(2000)),
            0);
  EXPECT_LT(Clock::now() - start, milliseconds(100));

  // A byte every 4 ms for 10 s never falls quiet; the deadline ends the drain.
  line_->queue(Bytes(2500, 0x11), milliseconds(0), milliseconds(4));
  start = Clock::now();
  const int n = channel_.drain_until_silent(start, milliseconds(20), start + milliseconds(150));
  const auto took = Clock::now() - start;
  EXPECT_GT(n, 5);
  EXPECT_GE(took, milliseconds(145));
  EXPECT_LT(took, milliseconds(1500));
  line_->drop_all();

  line_->unplug();
  EXPECT_EQ(channel_.drain_until_silent(Clock::now(), milliseconds(50), Clock::now() + milliseconds(500)),
            result::kNoSuchPort);
}

}  // namespace
}  // namespace orvadw
