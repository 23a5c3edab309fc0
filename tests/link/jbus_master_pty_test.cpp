// The master over the real termios driver against orvadw-sim on a
// pseudo-terminal: the behaviours of the in-process tests, once more through
// the kernel's tty layer.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <random>
#include <thread>

#include "base/result_codes.h"
#include "link/jbus_master.h"
#include "link/port_map.h"
#include "sim/simulated_instrument.h"
#include "support/fake_line.h"
#include "support/poll_counter.h"
#include "tests/support/sim_process.h"

namespace orvadw {
namespace {

using std::chrono::milliseconds;
using test::Clock;
using test::SimProcess;

constexpr int kCom = 30;

class MasterPtyTest : public ::testing::Test {
 protected:
  void start(const std::vector<std::string>& args, int baud_index = 5) {
    ASSERT_TRUE(program_.start(args)) << program_.error();
    test::map_com(kCom, program_.link());
    ASSERT_EQ(master_.connect(kCom, baud_index), 0) << master_.last_error_text();
  }
  void TearDown() override {
    master_.stop_polling();
    master_.disconnect();
    if (program_.running()) {
      EXPECT_EQ(program_.stop(), 0);
    }
    PortMap::instance().set_device(kCom, "");
  }
  SimProcess program_;
  JBusMaster master_;
};

TEST_F(MasterPtyTest, ReadsAndWritesTheInstrument) {
  start({"--jbus", "17"});
  master_.set_answer_timeout(300);
  master_.set_inter_char_timeout(50);
  sim::InstrumentOptions options;
  options.jbus = 17;
  const sim::SimulatedInstrument reference(options);

  Bytes data;
  // Slave 0 reaches it whatever its number; the number is at byte 1.
  ASSERT_EQ(master_.transact(0, 3, 0xFF00, 25, data, 2), 0);
  ASSERT_EQ(data.size(), 50u);
  EXPECT_EQ(data[1], 17);
  EXPECT_EQ(std::string(data.begin() + 10, data.begin() + 16), "10-11-");
  ASSERT_EQ(master_.transact(17, 3, 0x3000, 7, data, 2), 0);
  EXPECT_EQ(data, reference.registers(0x3000, 7));
  ASSERT_EQ(master_.transact(17, 3, 0xB00, 62, data, 2), 0);
  EXPECT_EQ(data, reference.registers(0xB00, 62));

  Bytes values{0x12, 0x34, 0x56};
  ASSERT_EQ(master_.transact(17, 16, 0x4001, 2, values, 2), 0);
  EXPECT_EQ(values, (Bytes{0x01, 0x00, 0x02}));
  ASSERT_EQ(master_.transact(17, 3, 0x4001, 2, data, 2), 0);
  EXPECT_EQ(data, (Bytes{0x12, 0x34, 0x56, 0x00}));

  EXPECT_EQ(master_.transact(17, 3, 0x7777, 1, data, 2), 152);
  EXPECT_EQ(master_.transact(1, 3, 0x3000, 1, data, 2), result::kNoAnswer);  // another slave
  EXPECT_TRUE(data.empty());
}

TEST_F(MasterPtyTest, SilenceAndRefusalsAreRetriedThreeTimes) {
  start({"--drop", "1"});
  master_.set_answer_timeout(150);
  master_.set_inter_char_timeout(20);
  Bytes data;
  auto begin = Clock::now();
  EXPECT_EQ(master_.transact(1, 3, 0x1000, 10, data, 2), result::kNoAnswer);
  auto took = Clock::now() - begin;
  EXPECT_GE(took, milliseconds(3 * 150 - 5));
  EXPECT_LT(took, milliseconds(3 * (150 + 20) + 1500));
  EXPECT_EQ(program_.stop(), 0);
  EXPECT_EQ(program_.counts()["frames"], 3);

  master_.disconnect();
  start({"--exception", "4"});
  master_.set_answer_timeout(150);
  master_.set_inter_char_timeout(60);
  begin = Clock::now();
  EXPECT_EQ(master_.transact(1, 3, 0x1000, 10, data, 2), 154);
  took = Clock::now() - begin;
  EXPECT_TRUE(data.empty());
  EXPECT_GE(took, milliseconds(3 * 60));
  EXPECT_EQ(program_.stop(), 0);
  EXPECT_EQ(program_.counts()["exceptions"], 3);
}

TEST_F(MasterPtyTest, PacedLineAndBluetoothSpacing) {
  start({"--baud", "9600"});
  master_.set_answer_timeout(500);
  const sim::SimulatedInstrument reference;
  Bytes data;
  // 129 bytes at 9600 baud take about 134 ms, a byte a millisecond.
  ASSERT_EQ(master_.transact(1, 3, 0xB00, 62, data, 2), 0);
  EXPECT_EQ(data, reference.registers(0xB00, 62));
  // The paced instrument hears only its own speed.
  ASSERT_EQ(master_.connect(kCom, 4), 0);
  master_.set_answer_timeout(150);
  EXPECT_EQ(master_.transact(1, 3, 0xB00, 1, data, 2), result::kNoAnswer);

  // The Bluetooth line runs at 115200 baud.
  master_.disconnect();
  EXPECT_EQ(program_.stop(), 0);
  start({"--baud", "115200"}, JBusLink::kBluetoothBaudIndex);
  master_.set_answer_timeout(500);
  ASSERT_EQ(master_.transact(1, 3, 0x3000, 7, data, 2), 0);
  EXPECT_EQ(data, reference.registers(0x3000, 7));
  Bytes values{0xAB, 0xCD};
  const auto begin = Clock::now();
  ASSERT_EQ(master_.transact(1, 16, 0x4000, 1, values, 2), 0);
  EXPECT_GE(Clock::now() - begin, milliseconds(11 * 20));  // 20 ms after each of 11 bytes
}

TEST_F(MasterPtyTest, BusyPollingAndStop) {
  start({"--delay", "60"});
  master_.set_answer_timeout(500);
  master_.set_inter_char_timeout(50);
  Bytes first;
  int first_rc = -99;
  std::thread runner([&] { first_rc = master_.transact(1, 3, 0x3000, 7, first, 2); });
  while (!master_.is_busy()) std::this_thread::yield();
  Bytes second;
  EXPECT_EQ(master_.transact(1, 3, 0x4000, 9, second, 2), result::kBusy);
  runner.join();
  EXPECT_EQ(first_rc, 0);
  EXPECT_EQ(first, sim::SimulatedInstrument().registers(0x3000, 7));

  class View : public NotifyTarget {
   public:
    explicit View(JBusMaster& m) : master_(m) {}
    void post_message(std::string_view name, long, long) override {
      if (name != "WM_NEW_TRAME") return;
      if (master_.poll_result().data.size() == 48) ++good;
      ++posts;
      master_.resume_polling();
    }
    std::atomic<int> posts{0};
    std::atomic<int> good{0};

   private:
    JBusMaster& master_;
  } view(master_);
  EXPECT_EQ(master_.start_polling(&view, 1, 3, 0x100, 24, 10, 2, {}), 0);
  EXPECT_EQ(master_.start_polling(&view, 1, 3, 0x100, 24, 10, 2, {}), -1);
  const auto deadline = Clock::now() + milliseconds(10000);
  while (view.good.load() < 5 && Clock::now() < deadline) std::this_thread::sleep_for(milliseconds(5));
  master_.stop_polling();
  EXPECT_GE(view.good.load(), 5);
  const int posts = view.posts.load();
  std::this_thread::sleep_for(milliseconds(200));
  EXPECT_EQ(view.posts.load(), posts);
}

// Static blocks written with a known pattern first, then read back in random
// places and sizes over a line that drops, damages, delays and misaddresses
// answers: each read gives exactly the pattern or fails with no data.
TEST_F(MasterPtyTest, BadLineNeverYieldsWrongData) {
  start({"--drop", "0.03", "--corrupt", "0.002", "--garbage", "0.03", "--wrong-slave", "0.03",
         "--late", "0.03", "--late-ms", "36", "--delay", "1", "--exception", "6",
         "--exception-rate", "0.02", "--seed", "5"},
        7);
  master_.set_answer_timeout(30);
  master_.set_inter_char_timeout(15);
  struct Block {
    int address, count;
  };
  const Block blocks[] = {{0x1000, 50}, {0x3000, 7}, {0x4000, 9}, {0xB00, 62}};
  std::map<int, std::uint8_t> model;  // byte image by register*2 + byte
  std::mt19937 rng(99);
  for (const Block& b : blocks) {
    Bytes pattern(static_cast<std::size_t>(b.count) * 2);
    for (auto& x : pattern) x = static_cast<std::uint8_t>(rng());
    // Requests always arrive whole on this line; retry until the echo is seen.
    int rc = -1;
    for (int tries = 0; tries < 20 && rc != 0; ++tries) {
      Bytes data = pattern;
      rc = master_.transact(1, 16, b.address, b.count, data, 2);
    }
    ASSERT_EQ(rc, 0);
    for (int i = 0; i < b.count * 2; ++i) model[b.address * 2 + i] = pattern[static_cast<std::size_t>(i)];
  }

  std::map<int, int> codes;
  const int n = 1500;
  for (int i = 0; i < n; ++i) {
    const Block& b = blocks[rng() % 4];
    const int offset = static_cast<int>(rng() % static_cast<unsigned>(b.count));
    const int count = 1 + static_cast<int>(rng() % static_cast<unsigned>(b.count - offset));
    const int address = b.address + offset;
    Bytes data;
    const auto begin = Clock::now();
    const int rc = master_.transact(1, 3, address, count, data, 2);
    const auto took = Clock::now() - begin;
    ++codes[rc];
    const double frame_ms = (8 + count * 2 + 5) * 11.0 * 1000.0 / 115200.0;
    EXPECT_LT(took, milliseconds(static_cast<int>(3 * (30 + 15 + frame_ms)) + 400)) << i;
    if (rc == 0) {
      Bytes expected;
      for (int k = 0; k < count * 2; ++k) expected.push_back(model[address * 2 + k]);
      ASSERT_EQ(data, expected) << "transaction " << i << " at " << address << " x " << count;
    } else {
      ASSERT_TRUE(data.empty()) << i;
      ASSERT_NE(rc, result::kBusy);
    }
  }
  EXPECT_GT(codes[0], n * 9 / 10);
  EXPECT_EQ(program_.stop(), 0);
  const auto counts = program_.counts();
  EXPECT_GT(counts.at("dropped") + counts.at("garbage") + counts.at("wrong_slave") +
                counts.at("late") + counts.at("corrupted_bytes"),
            20);
}

TEST_F(MasterPtyTest, ProgramEndingMidPollGivesPacedFailuresNotASpin) {
  start({});
  master_.set_answer_timeout(200);
  master_.set_inter_char_timeout(30);
  test::PollCounter view(master_);
  ASSERT_EQ(master_.start_polling(&view, 1, 3, 0x100, 24, 5, 2, {}), 0);
  ASSERT_TRUE(test::wait_for_count(view.good, 3, milliseconds(10000)));
  EXPECT_EQ(program_.stop(), 0);  // the pty's other side goes away mid-poll
  ASSERT_TRUE(test::wait_for_count(view.failed, 1, milliseconds(5000)));
  test::expect_paced_failures(master_, view);
  Bytes data;
  const auto begin = Clock::now();
  EXPECT_NE(master_.transact(1, 3, 0x100, 24, data, 2), 0);
  EXPECT_LT(Clock::now() - begin, milliseconds(1000));
  EXPECT_TRUE(data.empty());
  // The link is gone with the program: a new connect fails cleanly.
  EXPECT_EQ(master_.connect(kCom, 5), result::kPortNotOpened);
}

}  // namespace
}  // namespace orvadw
