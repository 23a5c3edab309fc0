// The termios driver on pseudo-terminals made by the test.
#include "link/posix_serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "base/result_codes.h"
#include "link/port_map.h"
#include "link/serial_driver.h"
#include "support/fake_line.h"
#include "support/pty_pair.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

using test::Clock;
using test::PtyPair;
using std::chrono::milliseconds;

class PosixPortTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty_.ok()); }
  std::unique_ptr<PosixSerialPort> open(int baud = 9600) {
    return std::make_unique<PosixSerialPort>(pty_.slave_path(), 0, baud, 'N', 8, 1);
  }
  PtyPair pty_;
};

TEST(PosixPortErrors, ErrnoValuesMapToPortCodes) {
  EXPECT_EQ(PosixSerialPort::map_errno(ENOENT), result::kNoSuchPort);
  EXPECT_EQ(PosixSerialPort::map_errno(ENODEV), result::kNoSuchPort);
  EXPECT_EQ(PosixSerialPort::map_errno(ENXIO), result::kNoSuchPort);
  EXPECT_EQ(PosixSerialPort::map_errno(EACCES), result::kPortInUse);
  EXPECT_EQ(PosixSerialPort::map_errno(EBUSY), result::kPortInUse);
  EXPECT_EQ(PosixSerialPort::map_errno(EPERM), result::kPortInUse);
  EXPECT_EQ(PosixSerialPort::map_errno(EINVAL, true), result::kInvalidBaud);
  EXPECT_EQ(PosixSerialPort::map_errno(EINVAL), result::kGeneralFailure);
  EXPECT_EQ(PosixSerialPort::map_errno(EIO), result::kGeneralFailure);
}

TEST(PosixPortErrors, MissingDevicesAndNonTerminals) {
  PosixSerialPort missing("/nonexistent/ttyUSB99", 3, 9600, 'N', 8, 1);
  EXPECT_EQ(missing.status(), result::kNoSuchPort);
  EXPECT_NE(missing.error_text().find("/nonexistent/ttyUSB99"), std::string::npos);
  EXPECT_FALSE(missing.is_alive());
  EXPECT_EQ(missing.read_byte_timeout(10, {}), result::kNoSuchPort);
  EXPECT_EQ(missing.close(), 0);

  test::TempDir folder("orvadw_not_a_tty");
  ASSERT_TRUE(folder.valid());
  const std::string name = folder.file("plain");
  ASSERT_TRUE(test::write_file(name, ""));
  PosixSerialPort file(name, 0, 9600, 'N', 8, 1);
  EXPECT_EQ(file.status(), result::kNoSuchPort);
  EXPECT_NE(file.error_text().find("not a serial device"), std::string::npos);
}

TEST_F(PosixPortTest, SecondOpenOfAHeldPortIsRefused) {
  auto first = open();
  ASSERT_EQ(first->status(), 0) << first->error_text();
  EXPECT_EQ(first->driver_kind(), PosixSerialPort::kDriverKind);
  PosixSerialPort second(pty_.slave_path(), 1, 9600, 'N', 8, 1);
  EXPECT_EQ(second.status(), result::kPortInUse);
  EXPECT_NE(second.error_text().find("in use"), std::string::npos);
  // Once released, it opens again.
  EXPECT_EQ(first->close(), 0);
  EXPECT_EQ(first->close(), 0);  // a second close is harmless
  PosixSerialPort third(pty_.slave_path(), 1, 9600, 'N', 8, 1);
  EXPECT_EQ(third.status(), 0);
}

TEST_F(PosixPortTest, OpenThroughThePortMap) {
  test::map_com(20, pty_.slave_path());
  auto port = open_serial_port(19, 9600, 'N', 8, 1);
  EXPECT_EQ(port->status(), 0) << port->error_text();
  EXPECT_EQ(port->port_index(), 19);
  EXPECT_EQ(port->driver_kind(), PosixSerialPort::kDriverKind);
  // Line settings refused at opening leave nothing held.
  port.reset();
  EXPECT_EQ(open_serial_port(19, 230400, 'N', 8, 1)->status(), result::kInvalidBaud);
  EXPECT_EQ(open_serial_port(19, 9600, 'x', 8, 1)->status(), result::kInvalidParity);
  EXPECT_EQ(open_serial_port(19, 9600, 'N', 8, 1)->status(), 0);
  PortMap::instance().set_device(20, "");
}

TEST_F(PosixPortTest, LineSettingsAreCheckedAndApplied) {
  auto port = open();
  ASSERT_EQ(port->status(), 0);
  EXPECT_EQ(port->set_line(230400, 'N', 8, 1), result::kInvalidBaud);
  EXPECT_EQ(port->set_line(14400, 'N', 8, 1), result::kInvalidBaud);
  EXPECT_EQ(port->set_line(0, 'N', 8, 1), result::kInvalidBaud);
  EXPECT_EQ(port->set_line(9600, 'x', 8, 1), result::kInvalidParity);
  EXPECT_EQ(port->set_line(9600, 'N', 8, 3), result::kInvalidStopBits);
  EXPECT_EQ(port->set_line(9600, 'N', 8, 0), result::kInvalidStopBits);
  EXPECT_EQ(port->set_line(9600, 'N', 4, 1), result::kInvalidDataBits);
  EXPECT_EQ(port->set_line(9600, 'N', 9, 1), result::kInvalidDataBits);
  for (char parity : {'n', 'N', 'e', 'E', 'o', 'O', 'm', 'M', 's', 'S'}) {
    EXPECT_EQ(port->set_line(4800, parity, 7, 2), 0) << parity;
  }
  for (int bits = 5; bits <= 8; ++bits) EXPECT_EQ(port->set_line(300, 'N', bits, 1), 0) << bits;
  for (int baud : {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200}) {
    EXPECT_EQ(port->set_line(baud, 'N', 8, 1), 0) << baud;
  }
  ASSERT_EQ(port->set_line(2400, 'E', 7, 2), 0);
  std::vector<std::string> lines;
  ASSERT_EQ(port->dump([&](const std::string& l) { lines.push_back(l); }), 0);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "Port type:  POSIX termios  BaudRate: 2400    ByteSize: 7  Parity: 2");
  EXPECT_EQ(lines[2].rfind("StopBits: 2 fBinary: 1", 0), 0u) << lines[2];
  // A refused setting left the line as it was, and the port still carries data.
  EXPECT_TRUE(pty_.write({1, 2, 3}));
  EXPECT_EQ(port->read_byte_timeout(1000, {}), 1);
}

TEST_F(PosixPortTest, FlowControlShowsInTheDump) {
  auto port = open();
  ASSERT_EQ(port->status(), 0);
  auto dump_line = [&](const char* start) {
    std::string found;
    port->dump([&](const std::string& l) {
      if (l.rfind(start, 0) == 0) found = l;
    });
    return found;
  };
  EXPECT_NE(dump_line("Parity:").find("OutCtsFlow: 0  OutDsrFlow: 0"), std::string::npos);
  EXPECT_NE(dump_line("Parity:").find("OutX: 0  InX: 0"), std::string::npos);
  EXPECT_EQ(port->set_software_flow(true), 0);
  EXPECT_EQ(port->set_rts_cts_flow(true), 0);
  EXPECT_EQ(port->set_dtr_dsr_flow(true), result::kNotSupported);  // no termios equivalent
  const std::string line = dump_line("Parity:");
  EXPECT_NE(line.find("OutCtsFlow: 1  OutDsrFlow: 1"), std::string::npos) << line;
  EXPECT_NE(line.find("OutX: 1  InX: 1"), std::string::npos) << line;
  EXPECT_EQ(port->set_software_flow(false), 0);
  EXPECT_EQ(port->set_rts_cts_flow(false), 0);
  EXPECT_EQ(port->set_dtr_dsr_flow(false), 0);
  EXPECT_NE(dump_line("Parity:").find("OutX: 0  InX: 0"), std::string::npos);
  EXPECT_NE(dump_line("Null:").find("XonChar: 11  XoffChar: 13"), std::string::npos);
}

TEST_F(PosixPortTest, ModemLinesOnAPtyAreToleratedAndTheDumpStillWorks) {
  auto port = open();
  ASSERT_EQ(port->status(), 0);  // DTR/RTS up at opening failed quietly
  for (int rc : {port->set_dtr(true), port->set_dtr(false), port->set_rts(true)}) {
    EXPECT_TRUE(rc == 0 || rc == result::kNotSupported) << rc;
  }
  const int modem = port->modem_status();
  EXPECT_TRUE(modem == result::kNotSupported || (modem >= 0 && modem <= 0xF0)) << modem;
  EXPECT_EQ(port->line_status(), 0);
  EXPECT_EQ(port->clear_line_errors(), 0);
  const int brk = port->send_break(20);
  EXPECT_TRUE(brk == 0 || brk == result::kNotSupported) << brk;
  EXPECT_EQ(port->clear_status(), 0);
  EXPECT_EQ(port->status(), 0);
  std::vector<std::string> lines;
  EXPECT_EQ(port->dump([&](const std::string& l) { lines.push_back(l); }), 0);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[6].rfind("RX count/free:     0/1050   TX count/free:     0/1050   BREAK/FE/OE/PE: 0000", 0), 0u)
      << lines[6];
  EXPECT_EQ(port->status(), 0);  // the dump changed no verdict
  // The port still carries data both ways.
  EXPECT_EQ(port->write_byte(0x42), 0);
  EXPECT_EQ(pty_.read(1, milliseconds(1000)), std::vector<std::uint8_t>{0x42});
}

TEST_F(PosixPortTest, TimedReadGivesNoDataAfterItsTimeout) {
  auto port = open();
  ASSERT_EQ(port->status(), 0);
  const auto start = Clock::now();
  EXPECT_EQ(port->read_byte_timeout(500, {}), result::kNoData);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, milliseconds(495));
  EXPECT_LT(took, milliseconds(3000));
  EXPECT_EQ(port->status(), 0);  // a time-out is not an error
  EXPECT_EQ(port->read_byte(), result::kNoData);
  // With -1 it waits until a byte comes.
  std::thread writer([&] {
    std::this_thread::sleep_for(milliseconds(100));
    pty_.write({0x99});
  });
  EXPECT_EQ(port->read_byte_timeout(-1, {}), 0x99);
  writer.join();
  // The idle hook runs while waiting and can end the wait.
  int calls = 0;
  EXPECT_EQ(port->read_byte_timeout(-1, [&] { return ++calls == 4 ? -60 : 0; }), -60);
  EXPECT_EQ(calls, 4);
}

TEST_F(PosixPortTest, InterruptEndsAWaitForEverAndStaleWakeupsAreDropped) {
  auto port = open();
  ASSERT_EQ(port->status(), 0);
  std::thread waker([&] {
    std::this_thread::sleep_for(milliseconds(50));
    port->interrupt_wait();
  });
  const auto start = Clock::now();
  EXPECT_EQ(port->read_byte_timeout(-1, {}), result::kNoData);
  EXPECT_LT(Clock::now() - start, milliseconds(3000));
  waker.join();
  // A wake-up given while nobody waited does not cut the next read short.
  port->interrupt_wait();
  const auto again = Clock::now();
  EXPECT_EQ(port->read_byte_timeout(150, {}), result::kNoData);
  EXPECT_GE(Clock::now() - again, milliseconds(145));
}

TEST_F(PosixPortTest, BlocksAndBytesTravelBothWaysInOrder) {
  auto port = open();
  ASSERT_EQ(port->status(), 0);
  std::vector<std::uint8_t> out(600);
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<std::uint8_t>(i * 13);
  ASSERT_EQ(port->write_block(out.data(), static_cast<int>(out.size())), 0);
  EXPECT_EQ(port->last_transfer_count(), 600);
  EXPECT_EQ(pty_.read(600, milliseconds(3000)), out);

  std::vector<std::uint8_t> in(700);
  for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint8_t>(255 - i);
  ASSERT_TRUE(pty_.write(in));
  const auto deadline = Clock::now() + milliseconds(3000);
  while (port->receive_count() < 700 && Clock::now() < deadline) std::this_thread::sleep_for(milliseconds(2));
  EXPECT_EQ(port->receive_count(), 700);
  EXPECT_EQ(port->receive_free(), PosixSerialPort::kQueueSize - 700);
  std::vector<std::uint8_t> got;
  EXPECT_EQ(port->read_byte(), in[0]);
  got.push_back(in[0]);
  std::uint8_t buf[300];
  while (got.size() < in.size()) {
    const int rc = port->read_block(buf, sizeof buf);
    ASSERT_EQ(rc, 0);
    got.insert(got.end(), buf, buf + port->last_transfer_count());
  }
  EXPECT_EQ(got, in);
  EXPECT_EQ(port->read_block(buf, sizeof buf), result::kNoData);
  EXPECT_EQ(port->last_transfer_count(), 0);
  EXPECT_EQ(port->transmit_count(), 0);
  EXPECT_EQ(port->transmit_free(), PosixSerialPort::kQueueSize);
}

TEST_F(PosixPortTest, HangUpOfTheOtherSideMarksThePortGone) {
  auto port = open();
  ASSERT_EQ(port->status(), 0);
  ASSERT_TRUE(pty_.write({7}));
  EXPECT_EQ(port->read_byte_timeout(1000, {}), 7);
  std::thread closer([&] {
    std::this_thread::sleep_for(milliseconds(50));
    pty_.close_master();
  });
  const auto start = Clock::now();
  EXPECT_EQ(port->read_byte_timeout(5000, {}), result::kNoSuchPort);
  EXPECT_LT(Clock::now() - start, milliseconds(3000));
  closer.join();
  EXPECT_FALSE(port->is_alive());
  EXPECT_EQ(port->status(), result::kNoSuchPort);
  EXPECT_NE(port->error_text().find("gone"), std::string::npos);
  // Every later read fails at once rather than waiting or spinning.
  const auto again = Clock::now();
  for (int i = 0; i < 100; ++i) EXPECT_EQ(port->read_byte_timeout(1000, {}), result::kNoSuchPort);
  EXPECT_LT(Clock::now() - again, milliseconds(500));
  EXPECT_LT(port->write_byte(1), 0);
  EXPECT_EQ(port->close(), 0);
}

}  // namespace
}  // namespace orvadw
