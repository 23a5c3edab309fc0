// The master against the in-process simulated instrument: clean reads and
// writes, and long runs over bad lines where every transaction must either
// return exactly what the instrument holds or fail with no data, within its
// time bound.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <random>
#include <thread>

#include "base/result_codes.h"
#include "link/jbus_master.h"
#include "sim/sim_bus.h"
#include "support/fake_line.h"
#include "support/poll_counter.h"

namespace orvadw {
namespace {

using sim::FaultOptions;
using sim::SimBus;
using test::Clock;
using std::chrono::milliseconds;

struct StaticBlock {
  int address;
  int count;
};
// Blocks whose contents do not move by themselves.
constexpr StaticBlock kBlocks[] = {{0x1000, 50}, {0x3000, 7}, {0x4000, 9}, {0xB00, 62}};

class MasterOnSimTest : public ::testing::Test {
 protected:
  static constexpr int kAnswerMs = 30;
  static constexpr int kGapMs = 15;
  static constexpr int kCom = 11;
  static constexpr int kBaudIndex = 7;  // 115200, no Bluetooth spacing

  void SetUp() override {
    sim::InstrumentOptions options;
    options.jbus = 1;
    options.manual_clock = true;
    instrument_ = std::make_shared<sim::SimulatedInstrument>(options);
    // Distinct bytes everywhere, so that an answer for another range shows.
    std::mt19937 fill(7);
    for (const StaticBlock& b : kBlocks) {
      Bytes bytes(static_cast<std::size_t>(b.count) * 2);
      for (auto& x : bytes) x = static_cast<std::uint8_t>(fill());
      instrument_->set_registers(b.address, bytes);
    }
    SimBus::attach(name(), instrument_, {});
    test::map_com(kCom, SimBus::device(name()));
    ASSERT_EQ(master_.connect(kCom, kBaudIndex), 0);
    master_.set_answer_timeout(kAnswerMs);
    master_.set_inter_char_timeout(kGapMs);
  }
  void TearDown() override {
    master_.stop_polling();
    master_.disconnect();
    SimBus::detach(name());
  }
  static std::string name() { return "master-soak"; }

  // Runs n random transactions (reads of varying place and size, some
  // writes) and checks each one. Returns the count of each result code.
  std::map<int, int> run(int n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::map<int, int> codes;
    for (int i = 0; i < n; ++i) {
      const StaticBlock& block = kBlocks[rng() % 4];
      const int offset = static_cast<int>(rng() % static_cast<unsigned>(block.count));
      const int count = 1 + static_cast<int>(rng() % static_cast<unsigned>(block.count - offset));
      const int address = block.address + offset;
      const bool write = rng() % 10 == 0;
      Bytes data;
      if (write) {
        data.resize(static_cast<std::size_t>(count) * 2);
        for (auto& x : data) x = static_cast<std::uint8_t>(rng());
      }
      const Bytes wrote = data;
      const Bytes before = instrument_->registers(address, count);
      const std::size_t answer_bytes = write ? 8 : static_cast<std::size_t>(count) * 2 + 5;
      const std::size_t request_bytes = write ? 9 + wrote.size() : 8;
      const double frame_ms = (answer_bytes + request_bytes) * 11.0 * 1000.0 / 115200.0;

      const auto start = Clock::now();
      const int rc = master_.transact(1, write ? 16 : 3, address, count, data, 2);
      const auto took = Clock::now() - start;
      ++codes[rc];

      // Generous slack: the machine is shared, and only a hang must show.
      const auto bound = milliseconds(static_cast<int>(3 * (kAnswerMs + kGapMs + frame_ms)) + 400);
      EXPECT_LT(took, bound) << "transaction " << i << " result " << rc;
      if (rc == 0) {
        if (write) {
          EXPECT_EQ(data, (Bytes{static_cast<std::uint8_t>(address & 0xFF), 0,
                                 static_cast<std::uint8_t>(count)}))
              << "transaction " << i;
          EXPECT_EQ(instrument_->registers(address, count), wrote) << "transaction " << i;
        } else {
          EXPECT_EQ(data, before) << "transaction " << i << " at " << address << " x " << count;
        }
      } else {
        EXPECT_TRUE(data.empty()) << "transaction " << i;
        EXPECT_NE(rc, result::kBusy);
      }
      if (::testing::Test::HasFailure()) break;
    }
    return codes;
  }

  std::shared_ptr<sim::SimulatedInstrument> instrument_;
  JBusMaster master_;
};

TEST_F(MasterOnSimTest, CleanLineAnswersEveryTransactionFirstTime) {
  const auto codes = run(500, 1);
  EXPECT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes.count(0), 1u);
  EXPECT_EQ(instrument_->counters().requests, 500u);
}

TEST_F(MasterOnSimTest, InstrumentRefusalsComeBackAsExceptionCodes) {
  Bytes data;
  EXPECT_EQ(master_.transact(1, 3, 0x7777, 2, data, 2), 152);  // unknown address
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(master_.transact(1, 3, 0x1000, 0, data, 2), 153);  // bad count
  // Slave 0 reaches the instrument whatever its number.
  ASSERT_EQ(master_.transact(0, 3, 0xFF00, 8, data, 2), 0);
  EXPECT_EQ(data[1], 1);
  // Another slave number stays unanswered.
  EXPECT_EQ(master_.transact(9, 3, 0x1000, 2, data, 2), result::kNoAnswer);
}

// Each run mixes one kind of damage with clean answers; together they make
// over 10,000 transactions.
struct SoakCase {
  const char* name;
  FaultOptions faults;
  int transactions;
};

void PrintTo(const SoakCase& c, std::ostream* os) { *os << c.name; }

FaultOptions make_faults(double drop, double corrupt, double garbage, double wrong_slave,
                         double late, int exception_code, double exception_rate,
                         std::uint64_t seed) {
  FaultOptions f;
  f.drop = drop;
  f.corrupt = corrupt;
  f.garbage = garbage;
  f.wrong_slave = wrong_slave;
  f.late = late;
  // Late answers start after the answer time-out but before the line has
  // been quiet for one gap after it; anything later cannot be told from an
  // answer to the next request, as the protocol has no transaction number.
  f.delay_ms = 1;
  f.late_ms = 36;
  f.exception_code = exception_code;
  f.exception_rate = exception_rate;
  f.seed = seed;
  return f;
}

class MasterSoakTest : public MasterOnSimTest, public ::testing::WithParamInterface<SoakCase> {};

TEST_P(MasterSoakTest, BadLinesNeverYieldWrongData) {
  const SoakCase& c = GetParam();
  SimBus::set_faults(name(), c.faults);
  const auto codes = run(c.transactions, static_cast<std::uint32_t>(c.faults.seed));
  ASSERT_FALSE(HasFailure());
  int ok = codes.count(0) ? codes.at(0) : 0;
  // Most transactions get through in three attempts.
  EXPECT_GT(ok, c.transactions * 9 / 10) << c.name;
  const auto counters = SimBus::fault_counters(name());
  // The faults really happened.
  EXPECT_GT(counters.dropped + counters.corrupted_bytes + counters.garbage + counters.wrong_slave +
                counters.late + counters.exceptions,
            static_cast<std::uint64_t>(c.transactions / 50))
      << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, MasterSoakTest,
    ::testing::Values(
        SoakCase{"drops_and_late", make_faults(0.05, 0, 0, 0, 0.05, 0, 0, 11), 2500},
        SoakCase{"corruption_and_noise", make_faults(0, 0.004, 0.05, 0, 0, 0, 0, 12), 2500},
        SoakCase{"wrong_slave_and_exceptions", make_faults(0, 0, 0, 0.05, 0, 4, 0.05, 13), 2500},
        SoakCase{"everything", make_faults(0.02, 0.002, 0.02, 0.02, 0.02, 6, 0.02, 14), 3000}),
    [](const ::testing::TestParamInfo<SoakCase>& info) { return info.param.name; });

TEST_F(MasterOnSimTest, UnplugDuringPollingGivesPacedFailures) {
  test::PollCounter view(master_);
  ASSERT_EQ(master_.start_polling(&view, 1, 3, 0x100, 24, 5, 2, {}), 0);
  ASSERT_TRUE(test::wait_for_count(view.good, 5, milliseconds(5000)));
  SimBus::unplug(name());
  std::this_thread::sleep_for(milliseconds(100));
  test::expect_paced_failures(master_, view);
  Bytes data;
  EXPECT_EQ(master_.transact(1, 3, 0x1000, 4, data, 2), result::kNoSuchPort);
  // The name is gone: reconnecting fails cleanly.
  EXPECT_EQ(master_.connect(kCom, kBaudIndex), result::kPortNotOpened);
}

}  // namespace
}  // namespace orvadw
