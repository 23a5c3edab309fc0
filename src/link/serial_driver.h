#pragma once
// Opening a port: the port map turns a COM number into a device name, and the
// first registered driver that handles that name opens it. The POSIX termios
// driver handles every path; the simulator registers a driver for "sim:"
// names so that tests run the whole link without a pseudo-terminal.
#include <memory>
#include <string>

#include "link/serial_port.h"

namespace orvadw {

class SerialDriver {
 public:
  virtual ~SerialDriver() = default;
  virtual bool handles(const std::string& device) const = 0;
  // Never returns null: a failed open gives a port whose status() tells why.
  virtual std::unique_ptr<SerialPort> open(const std::string& device, int port_index, int baud,
                                           char parity, int data_bits, int stop_bits) = 0;
};

// Registered drivers are tried newest first, before the POSIX driver.
void register_serial_driver(std::shared_ptr<SerialDriver> driver);
void unregister_serial_driver(const SerialDriver* driver);

// Opens COM(port_index + 1) through the process-wide port map. Never returns
// null; status() is 0 on success or the error code (-14 for a port the map
// does not know). Every port opened here is closed at program exit if it is
// still open then.
std::unique_ptr<SerialPort> open_serial_port(int port_index, int baud, char parity, int data_bits,
                                             int stop_bits);
// The same for an explicit device name.
std::unique_ptr<SerialPort> open_serial_device(const std::string& device, int port_index, int baud,
                                               char parity, int data_bits, int stop_bits);

}  // namespace orvadw
