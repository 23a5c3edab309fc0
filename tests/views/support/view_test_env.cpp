#include "support/view_test_env.h"

#include <gtest/gtest.h>

#include "files/configuration.h"
#include "files/settings_store.h"
#include "link/port_map.h"
#include "sim/sim_bus.h"

namespace orvadw::test {

ViewTestEnv::ViewTestEnv() {
  configuration_path_ = (dir_.path() + "/test.OrvadW10").toStdString();
  SettingsStore store(configuration_path_);
  store.write_number("Language", "Language", 1);  // English (stored from 0)
  store.write_number("Com", "Port", kViewCom - 1);
  store.write_number("Com", "Bauds", 5);
  store.write_number("Com", "JBus", 1);
  sim_name_ = std::string("view_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  PortMap::instance().set_scan_devices(false);
  PortMap::instance().clear();
  PortMap::instance().set_device(kViewCom, sim::SimBus::device(sim_name_));
  Configuration::instance().set_use_modem(false);
  Configuration::instance().set_modem_connected(false);
  Configuration::instance().set_last_folder(dir_.path().toStdString() + "/");
}

ViewTestEnv::~ViewTestEnv() {
  sim::SimBus::detach(sim_name_);
  PortMap::instance().clear();
}

std::string ViewTestEnv::file(const std::string& name) const {
  return dir_.path().toStdString() + "/" + name;
}

void ViewTestEnv::set_recording(double period_seconds, double max_minutes) {
  SettingsStore store(configuration_path_);
  store.write_number("File Save", "Sample Record Time", period_seconds);
  store.write_number("File Save", "Record Lap Time", max_minutes);
}

sim::InstrumentOptions ViewTestEnv::manual() {
  sim::InstrumentOptions options;
  options.manual_clock = true;
  return options;
}

std::shared_ptr<sim::SimulatedInstrument> ViewTestEnv::attach(sim::InstrumentOptions options,
                                                              const sim::FaultOptions& faults) {
  auto instrument = std::make_shared<sim::SimulatedInstrument>(std::move(options));
  sim::SimBus::attach(sim_name_, instrument, faults);
  return instrument;
}

void ViewTestEnv::map_device(const std::string& device) { PortMap::instance().set_device(kViewCom, device); }

void ViewTestEnv::shorten_timeouts(JBusMaster& master) {
  master.set_answer_timeout(150);
  master.set_inter_char_timeout(50);
}

}  // namespace orvadw::test
