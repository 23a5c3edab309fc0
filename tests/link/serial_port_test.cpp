#include "link/serial_port.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <fstream>
#include <mutex>
#include <new>
#include <thread>

#include "base/result_codes.h"
#include "link/port_map.h"
#include "link/serial_driver.h"
#include "support/fake_line.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

using test::Clock;
using std::chrono::milliseconds;

TEST(SerialPortBase, EveryOperationIsNotSupportedByDefault) {
  SerialPort port(4, 0);
  EXPECT_EQ(port.port_index(), 4);
  std::uint8_t buf[4] = {};
  const std::vector<std::pair<const char*, std::function<int()>>> ops = {
      {"read_byte", [&] { return port.read_byte(); }},
      {"write_byte", [&] { return port.write_byte(1); }},
      {"close", [&] { return port.close(); }},
      {"set_line", [&] { return port.set_line(9600, 'N', 8, 1); }},
      {"software_flow", [&] { return port.set_software_flow(true); }},
      {"rts_cts", [&] { return port.set_rts_cts_flow(true); }},
      {"dtr_dsr", [&] { return port.set_dtr_dsr_flow(true); }},
      {"dtr", [&] { return port.set_dtr(true); }},
      {"rts", [&] { return port.set_rts(true); }},
      {"tx_free", [&] { return port.transmit_free(); }},
      {"tx_count", [&] { return port.transmit_count(); }},
      {"rx_free", [&] { return port.receive_free(); }},
      {"rx_count", [&] { return port.receive_count(); }},
      {"purge_tx", [&] { return port.purge_transmit(); }},
      {"write_block", [&] { return port.write_block(buf, 4); }},
      {"read_block", [&] { return port.read_block(buf, 4); }},
      {"break", [&] { return port.send_break(1); }},
      {"modem", [&] { return port.modem_status(); }},
      {"line", [&] { return port.line_status(); }},
      {"clear_errors", [&] { return port.clear_line_errors(); }},
      {"clear_status", [&] { return port.clear_status(); }},
  };
  for (const auto& [name, op] : ops) {
    EXPECT_EQ(op(), result::kNotSupported) << name;
    EXPECT_EQ(port.status(), result::kNotSupported) << name;
  }
  std::vector<std::string> lines;
  EXPECT_EQ(port.dump([&](const std::string& l) { lines.push_back(l); }), result::kNotSupported);
  EXPECT_EQ(lines, (std::vector<std::string>{"Port dump not supported for this driver", ""}));
}

// A port with a byte queue and nothing else, to exercise the default
// waiting read that drivers without a descriptor rely on.
class QueuePort : public SerialPort {
 public:
  QueuePort() : SerialPort(0, 1) {}
  void push(std::uint8_t b) {
    std::lock_guard<std::mutex> lock(mutex_);
    bytes_.push_back(b);
  }
  int receive_count() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(bytes_.size());
  }
  int read_byte() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (bytes_.empty()) return result::kNoData;
    const int b = bytes_.front();
    bytes_.pop_front();
    return b;
  }

 private:
  std::mutex mutex_;
  std::deque<std::uint8_t> bytes_;
};

TEST(SerialPortBase, DefaultTimedReadWaitsInterruptsAndStopsOnHook) {
  QueuePort port;
  port.push(0xA5);
  EXPECT_EQ(port.read_byte_timeout(100, {}), 0xA5);

  auto start = Clock::now();
  EXPECT_EQ(port.read_byte_timeout(120, {}), result::kNoData);
  EXPECT_GE(Clock::now() - start, milliseconds(115));

  // A byte arriving during the wait is returned.
  std::thread feeder([&] {
    std::this_thread::sleep_for(milliseconds(30));
    port.push(0x5A);
  });
  EXPECT_EQ(port.read_byte_timeout(5000, {}), 0x5A);
  feeder.join();

  // interrupt_wait ends a wait for ever.
  std::thread waker([&] {
    std::this_thread::sleep_for(milliseconds(50));
    port.interrupt_wait();
  });
  start = Clock::now();
  EXPECT_EQ(port.read_byte_timeout(-1, {}), result::kNoData);
  EXPECT_LT(Clock::now() - start, milliseconds(3000));
  waker.join();

  // A negative idle hook ends the wait with its code.
  int calls = 0;
  EXPECT_EQ(port.read_byte_timeout(-1, [&] { return ++calls >= 3 ? -77 : 0; }), -77);
  EXPECT_EQ(port.status(), -77);
  EXPECT_EQ(calls, 3);
}

class MarkerPort : public SerialPort {
 public:
  explicit MarkerPort(std::string path) : SerialPort(0, 1), path_(std::move(path)) {}
  int close() override {
    std::ofstream(path_, std::ios::app) << "closed\n";
    return 0;
  }

 private:
  std::string path_;
};

TEST(SerialPortBaseDeathTest, PortsStillOpenAtExitAreClosed) {
  // "fast" style: the child forks right here, so it shares the path (no
  // other thread of this binary is alive between tests).
  GTEST_FLAG_SET(death_test_style, "fast");
  test::TempDir folder("orvadw_port_exit");
  ASSERT_TRUE(folder.valid());
  const std::string path = folder.file("closed");
  EXPECT_EXIT(
      {
        new MarkerPort(path);  // left open on purpose
        new MarkerPort(path);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  const std::string all = test::read_file(path);
  EXPECT_EQ(all, "closed\nclosed\n");
}

class ScriptedDriver : public SerialDriver {
 public:
  ScriptedDriver(std::string prefix, int kind, int mode) : prefix_(std::move(prefix)), kind_(kind), mode_(mode) {}
  bool handles(const std::string& device) const override { return device.rfind(prefix_, 0) == 0; }
  std::unique_ptr<SerialPort> open(const std::string& device, int index, int, char, int, int) override {
    last_device = device;
    if (mode_ == 1) throw std::bad_alloc();
    if (mode_ == 2) throw 42;
    if (mode_ == 3) return nullptr;
    return std::make_unique<SerialPort>(index, kind_);
  }
  std::string last_device;

 private:
  std::string prefix_;
  int kind_;
  int mode_;
};

TEST(SerialDriverRegistry, OpensThroughPortMapAndNewestDriverFirst) {
  auto older = std::make_shared<ScriptedDriver>("dup:", 50, 0);
  auto newer = std::make_shared<ScriptedDriver>("dup:", 51, 0);
  register_serial_driver(older);
  register_serial_driver(newer);
  test::map_com(3, "dup:three");

  auto port = open_serial_port(2, 9600, 'N', 8, 1);
  EXPECT_EQ(port->status(), 0);
  EXPECT_EQ(port->port_index(), 2);
  EXPECT_EQ(port->driver_kind(), 51);
  EXPECT_EQ(newer->last_device, "dup:three");
  EXPECT_TRUE(older->last_device.empty());

  unregister_serial_driver(newer.get());
  port = open_serial_port(2, 9600, 'N', 8, 1);
  EXPECT_EQ(port->driver_kind(), 50);
  unregister_serial_driver(older.get());

  // Without a driver for the name, the POSIX driver finds no such file.
  port = open_serial_port(2, 9600, 'N', 8, 1);
  EXPECT_EQ(port->status(), result::kNoSuchPort);
  PortMap::instance().set_device(3, "");
}

TEST(SerialDriverRegistry, UnknownOrInvalidPortsAndFailingDrivers) {
  test::map_com(7, "");
  auto port = open_serial_port(6, 9600, 'N', 8, 1);
  EXPECT_EQ(port->status(), result::kNoSuchPort);
  EXPECT_EQ(port->port_index(), 6);
  EXPECT_FALSE(port->error_text().empty());

  EXPECT_EQ(open_serial_port(-1, 9600, 'N', 8, 1)->status(), result::kInvalidPort);
  EXPECT_EQ(open_serial_port(255, 9600, 'N', 8, 1)->status(), result::kInvalidPort);

  auto no_memory = std::make_shared<ScriptedDriver>("oom:", 0, 1);
  auto throwing = std::make_shared<ScriptedDriver>("throw:", 0, 2);
  auto empty = std::make_shared<ScriptedDriver>("null:", 0, 3);
  register_serial_driver(no_memory);
  register_serial_driver(throwing);
  register_serial_driver(empty);
  port = open_serial_device("oom:x", 1, 9600, 'N', 8, 1);
  EXPECT_EQ(port->status(), result::kOutOfMemory);
  EXPECT_EQ(port->port_index(), -1);
  EXPECT_EQ(open_serial_device("throw:x", 1, 9600, 'N', 8, 1)->status(), result::kGeneralFailure);
  EXPECT_EQ(open_serial_device("null:x", 1, 9600, 'N', 8, 1)->status(), result::kGeneralFailure);
  unregister_serial_driver(no_memory.get());
  unregister_serial_driver(throwing.get());
  unregister_serial_driver(empty.get());
}

}  // namespace
}  // namespace orvadw
