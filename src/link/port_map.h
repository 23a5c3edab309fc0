#pragma once
// Which device is COM<n>: the configuration section "Ports" maps "COM<n>" to a
// device path (any tty, an rfcomm Bluetooth port, a pty, or "sim:<name>" for
// the in-process simulator); COM numbers without a key go in order to the
// serial devices present (/dev/ttyUSB*, /dev/ttyACM*, /dev/rfcomm*, then the
// /dev/ttyS* that have hardware, never the active system console).
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace orvadw {

class PortMap {
 public:
  // The process-wide map that open_serial_port() consults.
  static PortMap& instance();

  // Reads section "Ports" of the INI file at path (keys COM1..COM255). Keys
  // already set by set_device() are replaced. Returns 0, or -1 when the file
  // cannot be read (the map is then left as it was).
  int load(const std::string& ini_path);
  // Explicit mapping, as a "Ports" key would give.
  void set_device(int com_number, const std::string& device);
  // Forgets every explicit mapping (tests), and optionally the scan too.
  void clear();
  // Turns automatic numbering of the devices present off (tests never open
  // real ports) or on (the default).
  void set_scan_devices(bool on);
  // Where the scan looks: the device folder ("/dev") and the tty class folder
  // of sysfs ("/sys/class/tty"). For tests of the scan itself.
  void set_scan_roots(const std::string& dev_dir, const std::string& sys_tty_dir);

  // The device of COM<com_number> (1-based), or "" when there is none.
  std::string device_for(int com_number) const;
  // The COM numbers that have a device, in increasing order.
  std::vector<int> com_numbers() const;

 private:
  PortMap() = default;
  std::vector<std::string> scanned_devices() const;
  // COM number to device for the numbers without a key; mutex_ held.
  std::map<int, std::string> assigned_locked() const;

  mutable std::mutex mutex_;
  std::map<int, std::string> explicit_;
  bool scan_ = true;
  std::string dev_dir_ = "/dev";
  std::string sys_tty_dir_ = "/sys/class/tty";
};

}  // namespace orvadw
