#pragma once
// Which device is COM<n>: the configuration section "Ports" maps "COM<n>" to a
// device path (any tty, an rfcomm Bluetooth port, a pty, or "sim:<name>" for
// the in-process simulator); COM numbers without a key go in order to the
// serial devices present (/dev/ttyUSB*, /dev/ttyACM*, /dev/rfcomm*, then the
// /dev/ttyS* that have hardware, never the active system console).
//
// USB adapters change their node when they are plugged in again
// (/dev/ttyUSB0 may come back as /dev/ttyUSB1) but keep their name in
// /dev/serial/by-id. A COM number given out by the scan stays with its
// adapter: once resolved, it follows that by-id name (resolve()). A key of
// the Ports section may name a /dev/serial/by-id path itself.
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

  // The device of COM<com_number> (1-based) by the map and the scan as they
  // stand, or "" when there is none.
  std::string device_for(int com_number) const;
  // The COM numbers that have a device, in increasing order.
  std::vector<int> com_numbers() const;

  // The device to open for COM<com_number>: a mapped one as the Ports
  // section says; a scanned one is the node that now carries the by-id name
  // the number had when it was last resolved, so that a line reopened after
  // the adapter came back (a measurement view does so) reaches the same
  // adapter. A number whose adapter is gone is never handed another
  // adapter that a different number holds: "" then.
  std::string resolve(int com_number);
  // The file name in /dev/serial/by-id whose link leads to device (after
  // following links, so a by-id path gives its own name); "" when none.
  std::string by_id_name(const std::string& device) const;

  struct PortInfo {
    int com_number = 0;
    std::string device;
    std::string by_id;  // "" when the device has none
  };
  // The numbered devices, in increasing order of COM number.
  std::vector<PortInfo> ports() const;
  // "device, by-id name", "device", or "" for a number without a device: what
  // lists and messages show beside "Com n".
  std::string describe(int com_number) const;

 private:
  PortMap() = default;
  std::vector<std::string> scanned_devices() const;
  // resolve() without remembering: also the by-id name to remember when
  // identity is given.
  std::string current_device(int com_number, std::string* identity) const;
  // COM number to device for the numbers without a key; mutex_ held.
  std::map<int, std::string> assigned_locked() const;

  mutable std::mutex mutex_;
  std::map<int, std::string> explicit_;
  std::map<int, std::string> identity_;  // COM number -> by-id name, for scanned numbers
  bool scan_ = true;
  std::string dev_dir_ = "/dev";
  std::string sys_tty_dir_ = "/sys/class/tty";
};

}  // namespace orvadw
