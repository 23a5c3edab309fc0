#pragma once
// The in-process wire between a test's link and a simulated instrument:
// attach() an instrument under a name, and the device "sim:<name>" opens a
// SerialPort whose written bytes reach the instrument and whose received bytes
// are its answers, with the faults of FaultOptions and real time-outs. The
// driver for "sim:" names registers itself with the link on first attach.
#include <memory>
#include <string>

#include "sim/fault_injector.h"
#include "sim/fault_options.h"
#include "sim/simulated_instrument.h"

namespace orvadw::sim {

class SimBus {
 public:
  // Makes "sim:<name>" reach this instrument with these faults (replacing any
  // earlier attachment of that name: ports already open on it then reach the
  // new instrument, with the fault generator started afresh; after an unplug
  // or a detach they stay dead and only new opens reach it).
  static void attach(const std::string& name, std::shared_ptr<SimulatedInstrument> instrument,
                     FaultOptions faults = {});
  // The name goes away; ports open on it fail as after an unplug.
  static void detach(const std::string& name);
  // Changes the faults of an attached instrument; applies to the next request.
  static void set_faults(const std::string& name, const FaultOptions& faults);
  // Simulates the device being unplugged: open ports of that name then fail
  // as a vanished device does, and new opens give -14.
  static void unplug(const std::string& name);

  // The faults applied so far on that name ({} for an unknown name).
  static FaultCounters fault_counters(const std::string& name);
  // The device name that reaches an attachment: "sim:" + name.
  static std::string device(const std::string& name) { return "sim:" + name; }
};

}  // namespace orvadw::sim
