#include "link/port_map.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

namespace fs = std::filesystem;

class PortMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.valid());
    map().clear();
    map().set_scan_devices(false);
  }
  void TearDown() override {
    map().clear();
    map().set_scan_devices(false);
    map().set_scan_roots("/dev", "/sys/class/tty");
  }
  static PortMap& map() { return PortMap::instance(); }
  void write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }
  test::TempDir temp_{"orvadw_portmap"};
  fs::path root_ = temp_.path();
};

TEST_F(PortMapTest, ExplicitMappingsAndTheirRemoval) {
  EXPECT_EQ(map().device_for(1), "");
  map().set_device(3, "/dev/ttyUSB7");
  map().set_device(1, "sim:a");
  map().set_device(0, "/dev/never");    // no COM0
  map().set_device(256, "/dev/never");  // nor COM256
  EXPECT_EQ(map().device_for(3), "/dev/ttyUSB7");
  EXPECT_EQ(map().device_for(1), "sim:a");
  EXPECT_EQ(map().com_numbers(), (std::vector<int>{1, 3}));
  map().set_device(3, "");
  EXPECT_EQ(map().device_for(3), "");
  map().clear();
  EXPECT_TRUE(map().com_numbers().empty());
}

TEST_F(PortMapTest, LoadsThePortsSectionOfAConfigurationFile) {
  map().set_device(4, "/dev/old4");
  map().set_device(5, "/dev/keep5");
  write(root_ / "orvadw.cfg",
        "[Com]\r\nPort=2\r\n[Ports]\r\nCOM1=/dev/ttyUSB0\r\ncom3 = /tmp/ttySIM \r\n"
        "COM4=\r\nCOM0=/dev/zero0\r\nCOM300=/dev/x\r\nCOMx=/dev/y\r\nPrinter=/dev/lp0\r\n"
        "[Other]\r\nCOM2=/dev/wrong\r\n");
  ASSERT_EQ(map().load((root_ / "orvadw.cfg").string()), 0);
  EXPECT_EQ(map().device_for(1), "/dev/ttyUSB0");
  EXPECT_EQ(map().device_for(2), "");
  EXPECT_EQ(map().device_for(3), "/tmp/ttySIM");
  EXPECT_EQ(map().device_for(4), "");  // an empty key takes the mapping away
  EXPECT_EQ(map().device_for(5), "/dev/keep5");
  EXPECT_EQ(map().com_numbers(), (std::vector<int>{1, 3, 5}));

  // A file that cannot be read leaves the map as it was.
  EXPECT_EQ(map().load((root_ / "missing.cfg").string()), -1);
  EXPECT_EQ(map().device_for(1), "/dev/ttyUSB0");
}

TEST_F(PortMapTest, ScanNumbersThePresentDevicesAndSkipsTheConsole) {
  const fs::path dev = root_ / "dev";
  const fs::path sys = root_ / "sys";
  for (const char* name : {"ttyUSB1", "ttyUSB0", "ttyUSB10", "ttyACM0", "rfcomm0", "ttyS0",
                           "ttyS1", "ttyS2", "ttyS3", "ttyS4", "tty0", "console", "ttyUSBx",
                           "ttyACM1", "ttyprintk"}) {
    write(dev / name, "");
  }
  write(sys / "console" / "active", "tty0 ttyS0 ttyACM1\n");
  write(sys / "ttyS0" / "type", "4\n");  // the console: never offered
  write(sys / "ttyS1" / "type", "4\n");
  write(sys / "ttyS2" / "type", "0\n");  // no UART behind it
  fs::create_directories(sys / "ttyS3" / "device");  // no type file, but hardware
  fs::create_directories(sys / "ttyS4");              // neither
  map().set_scan_roots(dev.string(), sys.string());
  map().set_scan_devices(true);

  const auto d = [&](const char* name) { return (dev / name).string(); };
  EXPECT_EQ(map().device_for(1), d("ttyUSB0"));
  EXPECT_EQ(map().device_for(2), d("ttyUSB1"));
  EXPECT_EQ(map().device_for(3), d("ttyUSB10"));
  EXPECT_EQ(map().device_for(4), d("ttyACM0"));
  EXPECT_EQ(map().device_for(5), d("rfcomm0"));
  EXPECT_EQ(map().device_for(6), d("ttyS1"));
  EXPECT_EQ(map().device_for(7), d("ttyS3"));
  EXPECT_EQ(map().device_for(8), "");
  EXPECT_EQ(map().com_numbers(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));

  // A key takes its number and its device out of the automatic numbering.
  map().set_device(2, d("ttyACM0"));
  EXPECT_EQ(map().device_for(1), d("ttyUSB0"));
  EXPECT_EQ(map().device_for(2), d("ttyACM0"));
  EXPECT_EQ(map().device_for(3), d("ttyUSB1"));
  EXPECT_EQ(map().device_for(4), d("ttyUSB10"));
  EXPECT_EQ(map().device_for(5), d("rfcomm0"));
  EXPECT_EQ(map().com_numbers().size(), 7u);

  map().set_scan_devices(false);
  EXPECT_EQ(map().com_numbers(), (std::vector<int>{2}));
  EXPECT_EQ(map().device_for(1), "");
}

TEST_F(PortMapTest, AScannedNumberFollowsItsAdapterByIdWhenItComesBackElsewhere) {
  const fs::path dev = root_ / "dev";
  const fs::path by_id = dev / "serial" / "by-id";
  fs::create_directories(by_id);
  write(dev / "ttyUSB0", "");
  write(dev / "ttyUSB1", "");
  fs::create_symlink("../../ttyUSB0", by_id / "usb-Maker_A-if00-port0");
  fs::create_symlink("../../ttyUSB1", by_id / "usb-Maker_B-if00-port0");
  map().set_scan_roots(dev.string(), (root_ / "sys").string());
  map().set_scan_devices(true);
  const auto d = [&](const char* name) { return (dev / name).string(); };

  EXPECT_EQ(map().resolve(1), d("ttyUSB0"));
  EXPECT_EQ(map().resolve(2), d("ttyUSB1"));
  EXPECT_EQ(map().describe(1), d("ttyUSB0") + ", usb-Maker_A-if00-port0");
  EXPECT_EQ(map().by_id_name((by_id / "usb-Maker_B-if00-port0").string()), "usb-Maker_B-if00-port0");
  EXPECT_EQ(map().by_id_name(d("ttyUSB9")), "");

  // Adapter A is pulled out and comes back as ttyUSB2: the scan alone would
  // now give COM1 to adapter B.
  fs::remove(by_id / "usb-Maker_A-if00-port0");
  fs::remove(dev / "ttyUSB0");
  ASSERT_EQ(map().device_for(1), d("ttyUSB1"));
  EXPECT_EQ(map().resolve(1), "") << "COM1 must not reach adapter B while A is away";
  EXPECT_EQ(map().resolve(2), d("ttyUSB1"));
  write(dev / "ttyUSB2", "");
  fs::create_symlink("../../ttyUSB2", by_id / "usb-Maker_A-if00-port0");
  EXPECT_EQ(map().resolve(1), d("ttyUSB2"));
  EXPECT_EQ(map().resolve(2), d("ttyUSB1"));
  const std::vector<PortMap::PortInfo> ports = map().ports();
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[0].device, d("ttyUSB2"));
  EXPECT_EQ(ports[0].by_id, "usb-Maker_A-if00-port0");

  // A mapped number is what the Ports section says, by-id path included.
  map().set_device(5, (by_id / "usb-Maker_B-if00-port0").string());
  EXPECT_EQ(map().resolve(5), (by_id / "usb-Maker_B-if00-port0").string());
  EXPECT_EQ(map().describe(5), d("ttyUSB1") + ", usb-Maker_B-if00-port0");
}

}  // namespace
}  // namespace orvadw
