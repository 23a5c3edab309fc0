// The reading and writing patterns against the in-process simulated
// instrument: what reaches the wire, the answer time-out used and given
// back, the start-mode rule and the failures.
#include "link/block_transfer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "base/result_codes.h"
#include "link/port_map.h"
#include "sim/sim_bus.h"
#include "sim/simulated_instrument.h"

namespace orvadw {
namespace {

using sim::SimBus;
using sim::SimulatedInstrument;

constexpr int kCom = 41;          // mapped to the simulator
constexpr int kMissingCom = 42;   // mapped to nothing
constexpr int kBaud9600 = 5;
constexpr int kIdent = SimulatedInstrument::kIdentAddress;
constexpr int kIdentCount = SimulatedInstrument::kIdentCount;

class BlockTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PortMap::instance().set_scan_devices(false);
    PortMap::instance().clear();
    sim::InstrumentOptions options;
    options.jbus = 3;
    instrument_ = std::make_shared<SimulatedInstrument>(options);
    attach({});
    PortMap::instance().set_device(kCom, SimBus::device(name_));
    master_.set_answer_timeout(kStartTimeout);
  }
  void TearDown() override {
    master_.disconnect();
    SimBus::detach(name_);
    PortMap::instance().clear();
  }
  void attach(const sim::FaultOptions& faults) { SimBus::attach(name_, instrument_, faults); }

  BlockTransfer transfer(int com = kCom, int jbus = 3) {
    return BlockTransfer(master_, com, kBaud9600, jbus);
  }

  static constexpr int kStartTimeout = 777;
  std::string name_ = std::string("bt_") +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::shared_ptr<SimulatedInstrument> instrument_;
  JBusMaster master_;
};

TEST_F(BlockTransferTest, ReadGivesTheRegistersUnderTheReadTimeoutAndRestoresIt) {
  // A slow answer makes the transaction wait, so the idle hook sees the
  // time-out in force while the request is out.
  sim::FaultOptions slow;
  slow.delay_ms = 120;
  attach(slow);
  BlockTransfer t = transfer();
  std::vector<int> timeouts_seen;
  t.set_idle_hook([&] { timeouts_seen.push_back(master_.answer_timeout()); });

  Bytes data;
  int mode = BlockTransfer::kModeFromInstrument;
  EXPECT_EQ(t.read(kIdent, kIdentCount, data, mode), BlockTransfer::ReadStatus::kRead);
  EXPECT_EQ(data, instrument_->registers(kIdent, kIdentCount));
  EXPECT_EQ(mode, 1);
  EXPECT_EQ(t.last_code(), 0);
  ASSERT_FALSE(timeouts_seen.empty()) << "the idle hook runs while the answer is awaited";
  for (int seen : timeouts_seen) EXPECT_EQ(seen, BlockTransfer::kReadTimeoutMs);
  EXPECT_EQ(master_.answer_timeout(), kStartTimeout);
  EXPECT_EQ(master_.baud_index(), kBaud9600);
  EXPECT_EQ(instrument_->counters().requests, 1u);

  // The hook belonged to that transaction only.
  const std::size_t calls = timeouts_seen.size();
  Bytes again;
  EXPECT_EQ(master_.transact(3, 3, kIdent, 2, again), 0);
  EXPECT_EQ(timeouts_seen.size(), calls);
}

TEST_F(BlockTransferTest, WriteSendsFunction16WithWholeRegistersUnderTheWriteTimeout) {
  sim::FaultOptions slow;
  slow.delay_ms = 120;
  attach(slow);
  BlockTransfer t = transfer();
  std::vector<int> timeouts_seen;
  t.set_idle_hook([&] { timeouts_seen.push_back(master_.answer_timeout()); });

  const Bytes before = instrument_->registers(0x3003, 3);
  // Three bytes make two registers: the last one padded with zero.
  EXPECT_EQ(t.write(0x3003, {0x12, 0x34, 0x56}), 0);
  EXPECT_EQ(instrument_->registers(0x3003, 2), (Bytes{0x12, 0x34, 0x56, 0x00}));
  EXPECT_EQ(instrument_->registers(0x3005, 1), Bytes(before.begin() + 4, before.end()))
      << "nothing beyond the written registers changes";
  EXPECT_EQ(instrument_->counters().writes, 1u);
  ASSERT_FALSE(timeouts_seen.empty());
  for (int seen : timeouts_seen) EXPECT_EQ(seen, BlockTransfer::kWriteTimeoutMs);
  EXPECT_EQ(master_.answer_timeout(), kStartTimeout);
}

TEST_F(BlockTransferTest, APortThatDoesNotOpenFailsBothPatternsAndKeepsTheTimeout) {
  BlockTransfer t = transfer(kMissingCom);
  Bytes data{1, 2, 3};
  EXPECT_EQ(t.read(kIdent, kIdentCount, data), BlockTransfer::ReadStatus::kConnectFailed);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(t.last_code(), result::kPortNotOpened);
  EXPECT_EQ(master_.answer_timeout(), kStartTimeout);

  EXPECT_EQ(t.write(0x3003, {1, 2}), result::kCannotOpenForWrite);
  EXPECT_EQ(master_.answer_timeout(), kStartTimeout);
  EXPECT_EQ(instrument_->counters().requests, 0u);

  // A speed index outside the table opens nothing either.
  BlockTransfer bad_speed(master_, kCom, 42, 3);
  EXPECT_EQ(bad_speed.read(kIdent, 1, data), BlockTransfer::ReadStatus::kConnectFailed);
  EXPECT_EQ(bad_speed.write(kIdent, {1, 2}), result::kCannotOpenForWrite);
}

TEST_F(BlockTransferTest, NoValidAnswerIsReportedAndTheTimeoutComesBack) {
  // Another JBus number: the instrument stays silent through every attempt.
  BlockTransfer silent = transfer(kCom, 9);
  silent.set_timeouts(150, 200);
  Bytes data;
  EXPECT_EQ(silent.read(kIdent, kIdentCount, data), BlockTransfer::ReadStatus::kNoAnswer);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(silent.last_code(), result::kNoAnswer);
  EXPECT_EQ(master_.answer_timeout(), kStartTimeout);
  EXPECT_EQ(silent.write(0x3003, {1, 2}), -1);
  EXPECT_EQ(master_.answer_timeout(), kStartTimeout);
  EXPECT_EQ(instrument_->counters().writes, 0u);

  // An exception answer is no valid answer either.
  sim::FaultOptions refusing;
  refusing.exception_code = 2;
  attach(refusing);
  BlockTransfer t = transfer();
  t.set_timeouts(150, 200);
  EXPECT_EQ(t.read(kIdent, kIdentCount, data), BlockTransfer::ReadStatus::kNoAnswer);
  EXPECT_EQ(t.last_code(), result::kExceptionBase + 2);

  // A request that cannot be framed never reaches the line.
  const auto requests = instrument_->counters().requests;
  EXPECT_EQ(t.read(kIdent, 70000, data), BlockTransfer::ReadStatus::kNoAnswer);
  EXPECT_EQ(t.last_code(), result::kRequestNotBuilt);
  EXPECT_EQ(instrument_->counters().requests, requests);
  EXPECT_EQ(master_.answer_timeout(), kStartTimeout);
}

TEST_F(BlockTransferTest, NewAndLoadedWindowsSkipTheirFirstReadOnly) {
  BlockTransfer t = transfer();
  for (int start : {BlockTransfer::kModeNew, BlockTransfer::kModeFromFile}) {
    int mode = start;
    Bytes data{9};
    const auto requests = instrument_->counters().requests;
    EXPECT_EQ(t.read(kIdent, kIdentCount, data, mode), BlockTransfer::ReadStatus::kSkipped)
        << start;
    EXPECT_EQ(mode, BlockTransfer::kModeFromInstrument);
    EXPECT_EQ(instrument_->counters().requests, requests) << "nothing sent in mode " << start;
    // The next read goes to the instrument.
    EXPECT_EQ(t.read(kIdent, kIdentCount, data, mode), BlockTransfer::ReadStatus::kRead);
    EXPECT_EQ(data, instrument_->registers(kIdent, kIdentCount));
    EXPECT_EQ(instrument_->counters().requests, requests + 1);
  }
  // Every other mode reads, and keeps its value.
  for (int start : {1, 16, 36, 65, 129, 6, 0}) {
    int mode = start;
    EXPECT_FALSE(BlockTransfer::skip_first_read(mode)) << start;
    EXPECT_EQ(mode, start);
  }
}

TEST_F(BlockTransferTest, ModemLine) {
  // No modem dialogue available: the modem line counts as not opened.
  bool connected = false;
  BlockTransfer t = transfer();
  t.set_modem(true, &connected);
  Bytes data;
  EXPECT_EQ(t.read(kIdent, kIdentCount, data), BlockTransfer::ReadStatus::kConnectFailed);
  EXPECT_EQ(t.last_code(), result::kModemCancelled);
  EXPECT_EQ(t.write(0x3003, {1, 2}), result::kCannotOpenForWrite);
  EXPECT_FALSE(connected);

  // The dialogue opens the line and, as the modem dialogue does, leaves a
  // long time-out of its own behind; the read gives back the time-out the
  // master had before it, not the dialogue's.
  int dialogues = 0;
  master_.set_modem_connect_hook([&](JBusLink& link) {
    ++dialogues;
    const int rc = link.connect(kCom, kBaud9600);
    link.set_answer_timeout(60000);
    return rc;
  });
  EXPECT_EQ(t.read(kIdent, kIdentCount, data), BlockTransfer::ReadStatus::kRead);
  EXPECT_EQ(data, instrument_->registers(kIdent, kIdentCount));
  EXPECT_TRUE(connected);
  EXPECT_EQ(dialogues, 1);
  EXPECT_EQ(master_.answer_timeout(), kStartTimeout);

  // Once connected, the line is used as it is: no second dialogue.
  EXPECT_EQ(t.write(0x3003, {0xAB, 0xCD}), 0);
  EXPECT_EQ(instrument_->registers(0x3003, 1), (Bytes{0xAB, 0xCD}));
  EXPECT_EQ(dialogues, 1);
  EXPECT_EQ(master_.answer_timeout(), kStartTimeout);

  // The modem switch off: the direct line, whatever the flag.
  BlockTransfer direct = transfer();
  direct.set_modem(false, &connected);
  EXPECT_EQ(direct.read(kIdent, 2, data), BlockTransfer::ReadStatus::kRead);
  EXPECT_EQ(dialogues, 1);
}

}  // namespace
}  // namespace orvadw
