#pragma once
// One attachment of the in-process wire: the instrument behind a "sim:" name,
// the faults of its line, and whether it has been unplugged. Ports opened on
// the name share it; it outlives a detach for as long as a port holds it.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "sim/fault_injector.h"
#include "sim/simulated_instrument.h"

namespace orvadw::sim {

class SimSerialPort;

struct SimWire {
  SimWire(std::string wire_name, std::shared_ptr<SimulatedInstrument> sim, const FaultOptions& f)
      : name(std::move(wire_name)), faults(f), instrument_(std::move(sim)) {}

  // The instrument now behind the name; a new attach swaps it under the
  // open ports, as a new device in the same socket.
  std::shared_ptr<SimulatedInstrument> instrument() const {
    std::lock_guard lock(instrument_mutex_);
    return instrument_;
  }
  void replace(std::shared_ptr<SimulatedInstrument> sim, const FaultOptions& f) {
    {
      std::lock_guard lock(instrument_mutex_);
      instrument_ = std::move(sim);
    }
    faults.reset(f);
  }

  const std::string name;
  FaultInjector faults;
  std::atomic<bool> unplugged{false};

  // The open ports, so that an unplug can wake their readers.
  std::mutex ports_mutex;
  std::set<SimSerialPort*> ports;

 private:
  mutable std::mutex instrument_mutex_;
  std::shared_ptr<SimulatedInstrument> instrument_;
};

}  // namespace orvadw::sim
