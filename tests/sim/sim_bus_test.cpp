// The in-process wire: requests written to a "sim:" port reach the instrument,
// its answers come back with the line's delays and faults, and the port fails
// as a vanished device when it is unplugged.
#include "sim/sim_bus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "link/serial_driver.h"
#include "sim/crc16.h"
#include "support/test_frames.h"

namespace orvadw::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::Bytes;
using test::read_request;

std::shared_ptr<SimulatedInstrument> instrument(int jbus = 1) {
  InstrumentOptions o;
  o.jbus = jbus;
  o.manual_clock = true;
  return std::make_shared<SimulatedInstrument>(o);
}

std::unique_ptr<SerialPort> open(const std::string& name, int baud = 9600, char parity = 'N',
                                 int data_bits = 8, int stop_bits = 1) {
  return open_serial_device(SimBus::device(name), 0, baud, parity, data_bits, stop_bits);
}

void send(SerialPort& port, const Bytes& bytes) {
  ASSERT_EQ(port.write_block(bytes.data(), static_cast<int>(bytes.size())), 0);
}

// Reads until n bytes came or the line stayed silent for quiet_ms.
Bytes receive(SerialPort& port, std::size_t n, int quiet_ms = 300) {
  Bytes out;
  while (out.size() < n) {
    const int b = port.read_byte_timeout(quiet_ms, {});
    if (b < 0) break;
    out.push_back(static_cast<std::uint8_t>(b));
  }
  return out;
}

// Everything that is readable right now.
Bytes drain(SerialPort& port) {
  Bytes out;
  for (int b = port.read_byte(); b >= 0; b = port.read_byte()) {
    out.push_back(static_cast<std::uint8_t>(b));
  }
  return out;
}

class SimBusTest : public ::testing::Test {
 protected:
  void TearDown() override { SimBus::detach(name_); }
  std::string name_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
};

TEST_F(SimBusTest, RequestReachesInstrumentAndAnswerComesBack) {
  auto sim = instrument(5);
  SimBus::attach(name_, sim);
  auto port = open(name_);
  ASSERT_EQ(port->status(), 0);
  EXPECT_TRUE(port->is_alive());
  EXPECT_EQ(port->receive_count(), 0);
  EXPECT_EQ(port->read_byte(), result::kNoData);

  send(*port, read_request(5, 3, 0x1000, 50));
  const Bytes answer = receive(*port, 105);
  ASSERT_EQ(answer.size(), 105u);
  EXPECT_EQ(answer[0], 5);
  EXPECT_EQ(answer[2], 100);
  EXPECT_EQ(test::slice(answer, 3, 100), sim->registers(0x1000, 50));
  EXPECT_TRUE(crc_matches(answer.data(), answer.size()));
  EXPECT_EQ(port->receive_count(), 0);

  // A request written one byte at a time, as the link's channel sends it.
  for (std::uint8_t b : read_request(5, 3, 0x3000, 7)) ASSERT_EQ(port->write_byte(b), 0);
  EXPECT_EQ(port->receive_count(), 19);
  EXPECT_EQ(port->transmit_count(), 0);
  EXPECT_EQ(port->purge_transmit(), 0);

  // Drained in blocks as a purge does.
  std::uint8_t block[64];
  EXPECT_EQ(port->read_block(block, 10), 0);
  EXPECT_EQ(port->last_transfer_count(), 10);
  EXPECT_EQ(port->read_block(block, 64), 0);
  EXPECT_EQ(port->last_transfer_count(), 9);
  EXPECT_EQ(port->read_block(block, 64), result::kNoData);
  EXPECT_EQ(port->last_transfer_count(), 0);

  // A write to the image is seen by the next read.
  send(*port, test::write_request(5, 0x3003, {0x12, 0x34}));
  EXPECT_EQ(receive(*port, 8), test::with_crc({5, 16, 0x30, 0x03, 0x00, 0x01}));
  EXPECT_EQ(sim->registers(0x3003, 1), (Bytes{0x12, 0x34}));
  EXPECT_EQ(port->close(), 0);
}

TEST_F(SimBusTest, SilenceAndExceptionsOnTheWire) {
  SimBus::attach(name_, instrument(7));
  auto port = open(name_);
  ASSERT_EQ(port->status(), 0);
  send(*port, read_request(8, 3, 0x1000, 1));  // another slave
  Bytes bad = read_request(7, 3, 0x1000, 1);
  bad[7] ^= 1;
  send(*port, bad);
  EXPECT_EQ(port->read_byte_timeout(200, {}), result::kNoData);

  send(*port, read_request(7, 6, 0x1000, 1));  // unsupported function, any length
  EXPECT_EQ(receive(*port, 5), test::with_crc({7, 0x86, 1}));
  send(*port, read_request(0, 3, 0x0200, 1));  // nothing there, slave 0
  EXPECT_EQ(receive(*port, 5), test::with_crc({7, 0x83, 2}));
}

TEST_F(SimBusTest, NoiseBeforeARequestDoesNotWedgeTheInstrument) {
  SimBus::attach(name_, instrument(1));
  auto port = open(name_);
  const Bytes request = read_request(1, 3, 0xFF00, 1);

  const Bytes noises[] = {{0xAA},
                          {0x01, 0x03, 0x00},            // a request cut short
                          {0x01, 0x10, 0x00, 0x00, 0x00, 0x05, 0x0A},  // a write cut short
                          {0x55, 0x01, 0x04, 0xFF, 0x13, 0x77, 0x02, 0x03, 0x10}};
  for (const Bytes& noise : noises) {
    send(*port, noise);
    send(*port, request);
    const Bytes answer = receive(*port, 7);
    ASSERT_EQ(answer.size(), 7u) << test::hex(noise);
    EXPECT_TRUE(crc_matches(answer.data(), answer.size()));
    EXPECT_EQ(port->read_byte_timeout(50, {}), result::kNoData) << "one answer only";
  }
}

TEST_F(SimBusTest, LineSettingsAreCheckedLikeARealPort) {
  SimBus::attach(name_, instrument());
  EXPECT_EQ(open(name_, 115200)->status(), 0);
  EXPECT_EQ(open(name_, 300, 'n')->status(), 0);
  EXPECT_EQ(open(name_, 9600, 'E', 7, 2)->status(), 0);
  EXPECT_EQ(open(name_, 230400)->status(), result::kInvalidBaud);
  EXPECT_EQ(open(name_, 0)->status(), result::kInvalidBaud);
  EXPECT_EQ(open(name_, 9600, 'x')->status(), result::kInvalidParity);
  EXPECT_EQ(open(name_, 9600, 'N', 9)->status(), result::kInvalidDataBits);
  EXPECT_EQ(open(name_, 9600, 'N', 8, 3)->status(), result::kInvalidStopBits);
  auto port = open(name_);
  EXPECT_EQ(port->set_line(230400, 'N', 8, 1), result::kInvalidBaud);
  EXPECT_EQ(port->set_line(4800, 'o', 8, 1), 0);
  EXPECT_EQ(open("no-such-" + name_)->status(), result::kNoSuchPort);
}

TEST_F(SimBusTest, UnplugFailsOpenPortsAndNewOpens) {
  SimBus::attach(name_, instrument());
  auto port = open(name_);
  ASSERT_EQ(port->status(), 0);
  std::atomic<int> result{1};
  std::thread reader([&] { result = port->read_byte_timeout(-1, {}); });
  std::this_thread::sleep_for(50ms);  // let the reader block (not needed for correctness)
  SimBus::unplug(name_);
  reader.join();  // would hang if the unplug did not wake it
  EXPECT_EQ(result.load(), result::kNoSuchPort);
  EXPECT_FALSE(port->is_alive());
  EXPECT_EQ(port->read_byte_timeout(5000, {}), result::kNoSuchPort);
  const Bytes request = read_request(1, 3, 0xFF00, 1);
  EXPECT_EQ(port->write_block(request.data(), 8), result::kNoSuchPort);
  EXPECT_EQ(port->status(), result::kNoSuchPort);
  EXPECT_EQ(open(name_)->status(), result::kNoSuchPort);
  EXPECT_EQ(port->close(), 0);

  // Attaching again is plugging a new device in.
  SimBus::attach(name_, instrument());
  auto again = open(name_);
  ASSERT_EQ(again->status(), 0);
  send(*again, request);
  EXPECT_EQ(receive(*again, 7).size(), 7u);
}

TEST_F(SimBusTest, AttachingAgainSwapsTheInstrumentUnderOpenPorts) {
  FaultOptions f;
  f.drop = 1.0;
  SimBus::attach(name_, instrument(1), f);
  auto port = open(name_);
  send(*port, read_request(1, 3, 0xFF00, 1));
  EXPECT_EQ(port->read_byte_timeout(100, {}), result::kNoData);
  EXPECT_EQ(SimBus::fault_counters(name_).dropped, 1u);

  // A new device with another number, and a clean line.
  SimBus::attach(name_, instrument(9));
  EXPECT_EQ(SimBus::fault_counters(name_).dropped, 0u);
  send(*port, read_request(9, 3, 0xFF00, 1));
  const Bytes answer = receive(*port, 7);
  ASSERT_EQ(answer.size(), 7u);
  EXPECT_EQ(answer[0], 9);
  EXPECT_EQ(answer[4], 9);  // its JBus number in the header

  // After a detach the old port is dead, even when the name comes back.
  SimBus::detach(name_);
  EXPECT_FALSE(port->is_alive());
  SimBus::attach(name_, instrument(9));
  EXPECT_EQ(port->read_byte_timeout(1000, {}), result::kNoSuchPort);
  auto fresh = open(name_);
  send(*fresh, read_request(9, 3, 0xFF00, 1));
  EXPECT_EQ(receive(*fresh, 7).size(), 7u);
}

TEST_F(SimBusTest, InterruptWakesABlockedRead) {
  SimBus::attach(name_, instrument());
  auto port = open(name_);
  std::atomic<int> result{1};
  std::atomic<bool> started{false};
  std::thread reader([&] {
    started = true;
    result = port->read_byte_timeout(-1, {});
  });
  // Repeat the wake-up until the reader has left, as a stopping channel does.
  while (result.load() == 1) {
    port->interrupt_wait();
    std::this_thread::sleep_for(5ms);
  }
  reader.join();
  EXPECT_TRUE(started.load());
  EXPECT_EQ(result.load(), result::kNoData);
  EXPECT_TRUE(port->is_alive());
  // A stale wake-up does not cut the next read short.
  port->interrupt_wait();
  send(*port, read_request(1, 3, 0xFF00, 1));
  EXPECT_EQ(receive(*port, 7).size(), 7u);
}

TEST_F(SimBusTest, IdleHookCanEndAWait) {
  SimBus::attach(name_, instrument());
  auto port = open(name_);
  int calls = 0;
  const int rc = port->read_byte_timeout(-1, [&calls] { return ++calls >= 3 ? -1 : 0; });
  EXPECT_EQ(rc, -1);
  EXPECT_EQ(calls, 3);
}

TEST_F(SimBusTest, AnswersWaitForTheirDelays) {
  FaultOptions f;
  f.delay_ms = 120;
  SimBus::attach(name_, instrument(), f);
  auto port = open(name_);
  const Bytes request = read_request(1, 3, 0xFF00, 1);
  auto start = Clock::now();
  send(*port, request);
  EXPECT_EQ(port->receive_count(), 0);
  EXPECT_EQ(port->read_byte(), result::kNoData);
  EXPECT_EQ(receive(*port, 7, 5000).size(), 7u);
  EXPECT_GE(Clock::now() - start, 120ms);

  // Every answer held back late_ms more.
  f.late = 1.0;
  f.late_ms = 150;
  SimBus::set_faults(name_, f);
  start = Clock::now();
  send(*port, request);
  EXPECT_EQ(receive(*port, 7, 5000).size(), 7u);
  EXPECT_GE(Clock::now() - start, 270ms);
  EXPECT_EQ(SimBus::fault_counters(name_).late, 1u);

  // A prompt answer queued behind a late one does not overtake it.
  f.late = 0.0;
  send(*port, request);
  SimBus::set_faults(name_, f);
  send(*port, read_request(1, 3, 0x3000, 7));
  const Bytes both = receive(*port, 26, 5000);
  ASSERT_EQ(both.size(), 26u);
  EXPECT_EQ(both[2], 2);
  EXPECT_EQ(both[9], 14);
}

// Runs n identical requests with no delay and sorts the answers.
struct Tally {
  int silent = 0, good = 0, bad_crc = 0, wrong_slave = 0, exceptions = 0, noisy = 0;
};

Tally run_requests(SerialPort& port, int n, int own) {
  const Bytes request = read_request(own, 3, 0xFF00, 5);  // 15-byte answer
  Tally t;
  for (int i = 0; i < n; ++i) {
    send(port, request);
    const Bytes a = drain(port);  // due at once: no delay set
    if (a.empty()) {
      ++t.silent;
    } else if (a.size() > 15 && crc_matches(a.data() + a.size() - 15, 15)) {
      ++t.noisy;
    } else if (!crc_matches(a.data(), a.size())) {
      ++t.bad_crc;
    } else if (a[0] != own) {
      ++t.wrong_slave;
    } else if (a[1] & 0x80) {
      ++t.exceptions;
    } else {
      ++t.good;
    }
  }
  return t;
}

TEST_F(SimBusTest, FaultSharesFollowTheirRates) {
  FaultOptions f;
  f.seed = 7;
  f.drop = 0.3;
  SimBus::attach(name_, instrument(3), f);
  auto port = open(name_);
  Tally t = run_requests(*port, 2000, 3);
  EXPECT_GT(t.silent, 500);
  EXPECT_LT(t.silent, 700);
  EXPECT_EQ(t.good, 2000 - t.silent);
  EXPECT_EQ(SimBus::fault_counters(name_).dropped, static_cast<std::uint64_t>(t.silent));

  f = FaultOptions{};
  f.seed = 8;
  f.wrong_slave = 0.2;
  SimBus::set_faults(name_, f);
  t = run_requests(*port, 2000, 3);
  EXPECT_GT(t.wrong_slave, 300);
  EXPECT_LT(t.wrong_slave, 500);
  EXPECT_EQ(t.good + t.wrong_slave, 2000);

  f.wrong_slave = 0.0;
  f.exception_code = 6;
  f.exception_rate = 0.5;
  SimBus::set_faults(name_, f);
  t = run_requests(*port, 2000, 3);
  EXPECT_GT(t.exceptions, 850);
  EXPECT_LT(t.exceptions, 1150);
  EXPECT_EQ(t.good + t.exceptions, 2000);

  f.exception_code = 0;
  f.garbage = 0.25;
  SimBus::set_faults(name_, f);
  t = run_requests(*port, 2000, 3);
  EXPECT_GT(t.noisy, 400);
  EXPECT_LT(t.noisy, 600);
  EXPECT_EQ(t.good + t.noisy, 2000);

  // A share of the bytes: with 15-byte answers and 2 % of bytes, about a
  // quarter of the answers fail their CRC.
  f.garbage = 0.0;
  f.corrupt = 0.02;
  SimBus::set_faults(name_, f);
  const std::uint64_t before = SimBus::fault_counters(name_).corrupted_bytes;
  t = run_requests(*port, 2000, 3);
  const std::uint64_t flipped = SimBus::fault_counters(name_).corrupted_bytes - before;
  EXPECT_GT(flipped, 450u);   // 600 expected of 30000 bytes
  EXPECT_LT(flipped, 750u);
  EXPECT_GT(t.bad_crc, 400);
  EXPECT_LT(t.bad_crc, 700);
  EXPECT_EQ(t.good + t.bad_crc, 2000);  // one flipped bit always breaks the CRC
}

TEST_F(SimBusTest, SameSeedRepeatsTheRun) {
  FaultOptions f;
  f.seed = 99;
  f.drop = 0.2;
  f.corrupt = 0.05;
  f.garbage = 0.1;
  auto record = [&](const std::string& name) {
    SimBus::attach(name, instrument(), f);
    auto port = open(name);
    std::vector<Bytes> answers;
    for (int i = 0; i < 200; ++i) {
      send(*port, read_request(1, 3, 0xFF00, 5));
      answers.push_back(drain(*port));
    }
    SimBus::detach(name);
    return answers;
  };
  const auto a = record(name_ + "a");
  const auto b = record(name_ + "b");
  EXPECT_EQ(a, b);
  f.seed = 100;
  EXPECT_NE(a, record(name_ + "c"));
}

TEST_F(SimBusTest, AReaderThatNeverReadsOverrunsInsteadOfGrowing) {
  SimBus::attach(name_, instrument());
  auto port = open(name_);
  const Bytes request = read_request(1, 3, 0x1000, 50);  // 105-byte answers
  for (int i = 0; i < 2000; ++i) send(*port, request);
  const int waiting = port->receive_count();
  EXPECT_GT(waiting, 32 * 1024);
  EXPECT_LE(waiting, 64 * 1024);
  EXPECT_EQ(waiting % 105, 0);  // whole answers or none
  std::uint8_t block[64];
  while (port->read_block(block, 64) == 0) {
  }
  EXPECT_EQ(port->receive_count(), 0);
  send(*port, request);
  const Bytes answer = receive(*port, 105);
  EXPECT_TRUE(crc_matches(answer.data(), answer.size()));
}

TEST_F(SimBusTest, ReaderAndWriterThreadsShareAPort) {
  SimBus::attach(name_, instrument());
  auto port = open(name_);
  const Bytes request = read_request(1, 3, 0xFF00, 5);
  const Bytes expected = test::with_crc(
      [&] {
        Bytes head{1, 3, 10};
        const Bytes regs = instrument()->registers(0xFF00, 5);
        head.insert(head.end(), regs.begin(), regs.end());
        return head;
      }());
  constexpr int kRequests = 500;
  Bytes got;
  std::thread reader([&] {
    while (got.size() < kRequests * expected.size()) {
      const int b = port->read_byte_timeout(2000, {});
      if (b < 0) break;
      got.push_back(static_cast<std::uint8_t>(b));
    }
  });
  for (int i = 0; i < kRequests; ++i) {
    for (std::uint8_t b : request) ASSERT_EQ(port->write_byte(b), 0);
    if (i % 50 == 0) port->purge_transmit();
  }
  reader.join();
  ASSERT_EQ(got.size(), kRequests * expected.size());
  for (int i = 0; i < kRequests; ++i) {
    ASSERT_EQ(test::slice(got, i * expected.size(), expected.size()), expected) << i;
  }
}

}  // namespace
}  // namespace orvadw::sim
