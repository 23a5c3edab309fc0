#include "app/builtin_simulator.h"

#include "files/configuration.h"
#include "files/link_settings.h"
#include "files/settings_store.h"
#include "link/port_map.h"
#include "sim/sim_bus.h"
#include "sim/simulated_instrument.h"

namespace orvadw {

namespace {

LinkSettings current_link() {
  return read_link_settings(SettingsStore(Configuration::instance().configuration_path()));
}

}  // namespace

BuiltinSimulator::BuiltinSimulator() {
  sim::InstrumentOptions options;
  // The number the windows will ask for; the instrument keeps its own 1
  // when the configuration holds none it could have.
  const int jbus = current_link().jbus_number;
  if (jbus >= 1 && jbus <= 255) options.jbus = jbus;
  instrument_ = std::make_shared<sim::SimulatedInstrument>(options);
  sim::SimBus::attach(kName, instrument_);
  PortMap::instance().set_scan_devices(false);
  follow_configuration();
}

BuiltinSimulator::~BuiltinSimulator() { sim::SimBus::detach(kName); }

std::string BuiltinSimulator::device() { return sim::SimBus::device(kName); }

void BuiltinSimulator::follow_configuration() {
  const int com = current_link().port_number;
  if (com < 1) return;
  com_number_ = com;
  PortMap::instance().set_device(com, device());
}

}  // namespace orvadw
