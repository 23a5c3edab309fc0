#pragma once
// A test that runs the command line against its own in-process simulated
// instrument, reached as a "sim:" device at 115200 baud.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/sim_bus.h"
#include "sim/simulated_instrument.h"
#include "support/cli_run.h"

namespace orvadw::test {

class InstrumentCliTest : public ::testing::Test {
 protected:
  // The instrument's bus name is prefix + the test's name.
  explicit InstrumentCliTest(std::string prefix) : prefix_(std::move(prefix)) {}

  void SetUp() override;
  void TearDown() override;

  // Puts a fresh instrument with these options on the bus; its clock only
  // moves when told, so live values hold still between two reads.
  void attach(sim::InstrumentOptions options, sim::FaultOptions faults = {});

  // Runs the command line on this test's instrument (200 ms answer
  // time-out); globals go before the command.
  CliRun cli(const std::vector<std::string>& command,
             const std::vector<std::string>& globals = {}) const;

  std::string name_;
  std::shared_ptr<sim::SimulatedInstrument> instrument_;

 private:
  std::string prefix_;
};

}  // namespace orvadw::test
