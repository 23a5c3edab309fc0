#include "sim/sim_bus.h"

#include <map>
#include <mutex>
#include <vector>

#include "link/serial_driver.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_wire.h"

namespace orvadw::sim {

namespace {

constexpr const char* kPrefix = "sim:";

struct Registry {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<SimWire>> wires;

  // Never destroyed: ports still open at exit are closed by the link's exit
  // handler and may reach their wire then.
  static Registry& instance() {
    static Registry* registry = new Registry;
    return *registry;
  }

  std::shared_ptr<SimWire> find(const std::string& name) {
    std::lock_guard lock(mutex);
    const auto it = wires.find(name);
    return it == wires.end() ? nullptr : it->second;
  }
};

// The device of every port on the wire is gone; their readers wake and fail.
void pull_out(const std::shared_ptr<SimWire>& wire) {
  if (!wire) return;
  wire->unplugged.store(true);
  std::lock_guard lock(wire->ports_mutex);
  for (SimSerialPort* port : wire->ports) port->wake();
}

class SimSerialDriver : public SerialDriver {
 public:
  bool handles(const std::string& device) const override { return device.rfind(kPrefix, 0) == 0; }

  std::unique_ptr<SerialPort> open(const std::string& device, int port_index, int baud,
                                   char parity, int data_bits, int stop_bits) override {
    std::shared_ptr<SimWire> wire = Registry::instance().find(device.substr(4));
    if (!wire || wire->unplugged.load()) {
      return std::make_unique<SimSerialPort>(nullptr, port_index, result::kNoSuchPort);
    }
    auto port = std::make_unique<SimSerialPort>(wire, port_index);
    const int rc = port->set_line(baud, parity, data_bits, stop_bits);
    if (rc != result::kOk) {
      port->close();
      return std::make_unique<SimSerialPort>(nullptr, port_index, rc);
    }
    return port;
  }
};

void register_driver_once() {
  static std::once_flag once;
  std::call_once(once, [] { register_serial_driver(std::make_shared<SimSerialDriver>()); });
}

}  // namespace

void SimBus::attach(const std::string& name, std::shared_ptr<SimulatedInstrument> instrument,
                    FaultOptions faults) {
  register_driver_once();
  if (!instrument) return;
  Registry& r = Registry::instance();
  std::lock_guard lock(r.mutex);
  auto& slot = r.wires[name];
  if (slot && !slot->unplugged.load()) {
    // Open ports stay open and reach the new instrument from their next
    // request on.
    slot->replace(std::move(instrument), faults);
    return;
  }
  // New, or plugged in again after an unplug: ports of the old device stay dead.
  slot = std::make_shared<SimWire>(name, std::move(instrument), faults);
}

void SimBus::detach(const std::string& name) {
  std::shared_ptr<SimWire> previous;
  {
    Registry& r = Registry::instance();
    std::lock_guard lock(r.mutex);
    const auto it = r.wires.find(name);
    if (it == r.wires.end()) return;
    previous = std::move(it->second);
    r.wires.erase(it);
  }
  pull_out(previous);
}

void SimBus::set_faults(const std::string& name, const FaultOptions& faults) {
  if (auto wire = Registry::instance().find(name)) wire->faults.set_options(faults);
}

void SimBus::unplug(const std::string& name) { pull_out(Registry::instance().find(name)); }

FaultCounters SimBus::fault_counters(const std::string& name) {
  auto wire = Registry::instance().find(name);
  return wire ? wire->faults.counters() : FaultCounters{};
}

}  // namespace orvadw::sim
