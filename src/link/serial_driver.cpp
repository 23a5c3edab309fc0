#include "link/serial_driver.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

#include "link/port_map.h"
#include "link/posix_serial_port.h"

namespace orvadw {

namespace {

// A port that never opened: it only carries the reason in its status.
class UnopenedPort : public SerialPort {
 public:
  UnopenedPort(int port_index, int code, std::string text)
      : SerialPort(port_index, 0), text_(std::move(text)) {
    set_status(code);
  }
  int close() override { return result::kOk; }
  std::string error_text() const override {
    return text_.empty() ? SerialPort::error_text() : text_;
  }

 private:
  std::string text_;
};

struct DriverRegistry {
  std::mutex mutex;
  std::vector<std::shared_ptr<SerialDriver>> drivers;  // newest last
  // Handed out when memory runs out, so that an open never returns null.
  std::unique_ptr<SerialPort> reserve;

  static DriverRegistry& instance() {
    static DriverRegistry* registry = [] {
      auto* r = new DriverRegistry;
      r->reserve = std::make_unique<UnopenedPort>(-1, result::kOutOfMemory, "");
      return r;
    }();
    return *registry;
  }
};

std::unique_ptr<SerialPort> out_of_memory_port() {
  SerialPort* port = new (std::nothrow) UnopenedPort(-1, result::kOutOfMemory, "");
  if (port != nullptr) return std::unique_ptr<SerialPort>(port);
  DriverRegistry& registry = DriverRegistry::instance();
  std::lock_guard<std::mutex> lock(registry.mutex);
  if (registry.reserve) return std::move(registry.reserve);
  // Not even the reserve is left: nothing sensible can go on.
  std::terminate();
}

std::unique_ptr<SerialPort> unopened(int port_index, int code, const std::string& text) {
  try {
    return std::make_unique<UnopenedPort>(port_index, code, text);
  } catch (const std::bad_alloc&) {
    return out_of_memory_port();
  }
}

}  // namespace

void register_serial_driver(std::shared_ptr<SerialDriver> driver) {
  if (!driver) return;
  DriverRegistry& registry = DriverRegistry::instance();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.drivers.push_back(std::move(driver));
}

void unregister_serial_driver(const SerialDriver* driver) {
  DriverRegistry& registry = DriverRegistry::instance();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto& list = registry.drivers;
  list.erase(std::remove_if(list.begin(), list.end(),
                            [driver](const std::shared_ptr<SerialDriver>& d) {
                              return d.get() == driver;
                            }),
             list.end());
}

std::unique_ptr<SerialPort> open_serial_device(const std::string& device, int port_index, int baud,
                                               char parity, int data_bits, int stop_bits) {
  if (device.empty()) return unopened(port_index, result::kNoSuchPort, "No serial device is set");
  std::shared_ptr<SerialDriver> chosen;
  {
    DriverRegistry& registry = DriverRegistry::instance();
    std::lock_guard<std::mutex> lock(registry.mutex);
    for (auto it = registry.drivers.rbegin(); it != registry.drivers.rend(); ++it) {
      if ((*it)->handles(device)) {
        chosen = *it;
        break;
      }
    }
  }
  // No exception may cross into the callers; a driver's failure becomes a code.
  try {
    std::unique_ptr<SerialPort> port;
    if (chosen) {
      port = chosen->open(device, port_index, baud, parity, data_bits, stop_bits);
    } else {
      port = std::make_unique<PosixSerialPort>(device, port_index, baud, parity, data_bits,
                                               stop_bits);
    }
    if (!port) return unopened(port_index, result::kGeneralFailure, "The driver gave no port");
    return port;
  } catch (const std::bad_alloc&) {
    return out_of_memory_port();
  } catch (...) {
    return unopened(port_index, result::kGeneralFailure, "The driver failed to open " + device);
  }
}

std::unique_ptr<SerialPort> open_serial_port(int port_index, int baud, char parity, int data_bits,
                                             int stop_bits) {
  if (port_index < 0 || port_index > 254) {
    return unopened(port_index, result::kInvalidPort, "Invalid port number");
  }
  std::string device;
  try {
    // The adapter that carried this COM number, wherever it is now.
    device = PortMap::instance().resolve(port_index + 1);
  } catch (const std::bad_alloc&) {
    return out_of_memory_port();
  }
  if (device.empty()) {
    return unopened(port_index, result::kNoSuchPort,
                    "No device is known for COM" + std::to_string(port_index + 1));
  }
  return open_serial_device(device, port_index, baud, parity, data_bits, stop_bits);
}

}  // namespace orvadw
