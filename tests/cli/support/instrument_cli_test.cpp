#include "support/instrument_cli_test.h"

#include "link/port_map.h"

namespace orvadw::test {

void InstrumentCliTest::SetUp() {
  PortMap::instance().set_scan_devices(false);
  name_ = prefix_ + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  attach({});
}

void InstrumentCliTest::TearDown() {
  sim::SimBus::detach(name_);
}

void InstrumentCliTest::attach(sim::InstrumentOptions options, sim::FaultOptions faults) {
  options.manual_clock = true;
  instrument_ = std::make_shared<sim::SimulatedInstrument>(options);
  sim::SimBus::attach(name_, instrument_, faults);
}

CliRun InstrumentCliTest::cli(const std::vector<std::string>& command,
                              const std::vector<std::string>& globals) const {
  std::vector<std::string> args = {
      "--port", sim::SimBus::device(name_), "--baud-index", "7", "--timeout", "200"};
  args.insert(args.end(), globals.begin(), globals.end());
  args.insert(args.end(), command.begin(), command.end());
  return capture_cli(args);
}

}  // namespace orvadw::test
