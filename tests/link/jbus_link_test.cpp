#include "link/jbus_link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/result_codes.h"
#include "support/fake_line.h"

namespace orvadw {
namespace {

using test::Clock;
using test::FakeLine;
using std::chrono::milliseconds;

class JBusLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    line_ = FakeLine::create("link");
    test::map_com(5, "fake:link");
  }
  void connect_fast() {
    ASSERT_EQ(link_.connect(5, 5), 0);
    link_.set_answer_timeout(150);
    link_.set_inter_char_timeout(40);
  }
  std::shared_ptr<FakeLine> line_;
  JBusLink link_;
};

TEST_F(JBusLinkTest, SpeedTableAsBuilt) {
  EXPECT_EQ(link_.baud_count(), 8);
  const int expected[] = {300, 600, 1200, 2400, 4800, 9600, 115200, 115200, 0, 0, 0};
  for (int i = 0; i < JBusLink::kBaudTableSize; ++i) EXPECT_EQ(link_.baud_rate(i), expected[i]) << i;
  EXPECT_EQ(link_.baud_rate(-1), 0);
  EXPECT_EQ(link_.baud_rate(11), 0);
  EXPECT_EQ(link_.baud_index(), -1);
  EXPECT_EQ(link_.answer_timeout(), 500);
  EXPECT_EQ(link_.inter_char_timeout(), 1000);
  EXPECT_EQ(link_.expected_length(), 500);
}

TEST_F(JBusLinkTest, ConnectOpensAtTheIndexSpeedOrAnswers253) {
  EXPECT_EQ(link_.connect(5, 8), result::kPortNotOpened);  // past the used entries
  EXPECT_EQ(link_.connect(5, -1), result::kPortNotOpened);
  test::map_com(6, "");
  EXPECT_EQ(link_.connect(6, 5), result::kPortNotOpened);
  EXPECT_FALSE(link_.last_error_text().empty());
  EXPECT_FALSE(link_.is_connected());

  link_.set_inter_char_timeout(7);
  ASSERT_EQ(link_.connect(5, 4), 0);
  EXPECT_TRUE(link_.is_connected());
  EXPECT_EQ(line_->last_baud(), 4800);
  EXPECT_EQ(link_.baud_index(), 4);
  EXPECT_EQ(link_.inter_char_timeout(), 1000);  // from the table
  EXPECT_TRUE(link_.channel().reader_running());
  ASSERT_EQ(link_.connect(5, 6), 0);
  EXPECT_EQ(line_->last_baud(), 115200);
  link_.disconnect();
  EXPECT_FALSE(link_.is_connected());
  EXPECT_FALSE(link_.channel().reader_running());
}

TEST_F(JBusLinkTest, ModemConnectionGoesThroughTheHook) {
  bool modem_connected = false;
  // No modem dialogue yet: as if the user cancelled it.
  EXPECT_EQ(link_.connect(5, 5, 'N', 8, 1, true, modem_connected), result::kModemCancelled);
  EXPECT_FALSE(modem_connected);
  EXPECT_FALSE(link_.is_connected());

  int hook_calls = 0;
  link_.set_modem_connect_hook([&](JBusLink& link) {
    ++hook_calls;
    return hook_calls == 1 ? 252 : link.connect(5, 3);
  });
  EXPECT_EQ(link_.connect(5, 5, 'N', 8, 1, true, modem_connected), result::kModemCancelled);
  EXPECT_FALSE(modem_connected);
  EXPECT_EQ(link_.connect(5, 5, 'N', 8, 1, true, modem_connected), 0);
  EXPECT_TRUE(modem_connected);
  EXPECT_EQ(link_.baud_index(), 5);
  EXPECT_TRUE(link_.channel().reader_running());
  // Already connected through the modem: the line is used as it is.
  EXPECT_EQ(link_.connect(5, 5, 'N', 8, 1, true, modem_connected), 0);
  EXPECT_EQ(hook_calls, 2);
  EXPECT_EQ(line_->opens(), 1);
}

TEST_F(JBusLinkTest, AnswerEndsAtExpectedLengthAtOnce) {
  connect_fast();
  link_.set_inter_char_timeout(2000);
  link_.set_expected_length(4);
  line_->queue({1, 2, 3, 4, 5, 6}, milliseconds(20));
  Bytes answer;
  const auto start = Clock::now();
  EXPECT_EQ(link_.wait_answer(answer, false), 0);
  EXPECT_LT(Clock::now() - start, milliseconds(1000));  // not held by the 2 s gap time-out
  EXPECT_EQ(answer, (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(line_->pending(), 2);
  // Purging first discards what was waiting.
  line_->queue({9, 9}, milliseconds(60));
  link_.set_expected_length(2);
  EXPECT_EQ(link_.wait_answer(answer, true), 0);
  EXPECT_EQ(answer, (Bytes{9, 9}));
}

TEST_F(JBusLinkTest, ShortAnswerEndsOneGapAfterItsLastByte) {
  connect_fast();
  link_.set_inter_char_timeout(120);
  link_.set_expected_length(25);
  line_->queue({1, 0x83, 2, 0xC0, 0xF1}, milliseconds(10), milliseconds(3));
  Bytes answer;
  const auto start = Clock::now();
  EXPECT_EQ(link_.wait_answer(answer, false), 0);
  const auto took = Clock::now() - start;
  EXPECT_EQ(answer, (Bytes{1, 0x83, 2, 0xC0, 0xF1}));
  EXPECT_GE(took, milliseconds(10 + 12 + 115));
  EXPECT_LT(took, milliseconds(2000));
}

TEST_F(JBusLinkTest, NothingWithinTheAnswerTimeoutIs251) {
  Bytes answer{1, 2};
  // Not connected: no reader could end the wait, so it ends at once.
  auto start = Clock::now();
  EXPECT_EQ(link_.wait_answer(answer, false), result::kNoAnswer);
  EXPECT_LT(Clock::now() - start, milliseconds(1000));
  EXPECT_TRUE(answer.empty());

  connect_fast();
  start = Clock::now();
  EXPECT_EQ(link_.wait_answer(answer, false), result::kNoAnswer);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, milliseconds(145));
  EXPECT_LT(took, milliseconds(2000));
}

TEST_F(JBusLinkTest, IdleHookRunsOnlyOnTheThreadThatSetIt) {
  connect_fast();
  std::atomic<int> calls{0};
  std::atomic<bool> foreign{false};
  const auto owner = std::this_thread::get_id();
  link_.set_idle_hook([&] {
    ++calls;
    if (std::this_thread::get_id() != owner) foreign = true;
  });
  link_.set_answer_timeout(200);
  Bytes answer;
  EXPECT_EQ(link_.wait_answer(answer, false), result::kNoAnswer);
  EXPECT_GE(calls.load(), 3);  // about every 15 ms over 200 ms

  calls = 0;
  std::thread other([&] {
    Bytes a;
    link_.wait_answer(a, false);
  });
  other.join();
  EXPECT_EQ(calls.load(), 0);
  EXPECT_FALSE(foreign.load());
}

TEST_F(JBusLinkTest, TextsGoOutAsTheyAreAndComeBackWhole) {
  connect_fast();
  line_->set_peer({});
  EXPECT_EQ(link_.send_text("AT &F\r\n"), 0);
  EXPECT_EQ(line_->written(), (Bytes{'A', 'T', ' ', '&', 'F', '\r', '\n'}));
  line_->queue({'\r', '\n', 'O', 'K', '\r', '\n'}, milliseconds(5), milliseconds(1));
  std::string text;
  EXPECT_EQ(link_.receive_text(text), 0);
  EXPECT_EQ(text, "\r\nOK\r\n");
}

TEST_F(JBusLinkTest, AVanishingDeviceEndsTheWaitWithoutData) {
  connect_fast();
  link_.set_answer_timeout(5000);
  link_.set_inter_char_timeout(5000);
  link_.set_expected_length(10);
  line_->queue({1, 2});
  std::thread unplugger([&] {
    std::this_thread::sleep_for(milliseconds(50));
    line_->unplug();
  });
  Bytes answer;
  const auto start = Clock::now();
  const int rc = link_.wait_answer(answer, false);
  unplugger.join();
  EXPECT_LT(Clock::now() - start, milliseconds(2000));
  EXPECT_FALSE(link_.is_alive());
  // The two bytes that came before are all there is; no error code became a byte.
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(answer, (Bytes{1, 2}));
  // Later waits fail at once instead of spinning.
  EXPECT_EQ(link_.wait_answer(answer, false), result::kNoAnswer);
}

}  // namespace
}  // namespace orvadw
