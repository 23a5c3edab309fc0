#pragma once
// "orvadw --simulator": the simulated instrument inside the program, on the
// in-process line, in place of the configuration's port, so that every
// window can be tried without hardware. The instrument answers to the
// configuration's JBus number (and to 0, as every instrument does); the
// device scan is off, so no real port is ever opened by accident.
#include <memory>
#include <string>

namespace orvadw {

namespace sim {
class SimulatedInstrument;
}

class BuiltinSimulator {
 public:
  static constexpr const char* kName = "orvadw";

  BuiltinSimulator();
  ~BuiltinSimulator();
  BuiltinSimulator(const BuiltinSimulator&) = delete;
  BuiltinSimulator& operator=(const BuiltinSimulator&) = delete;

  // Makes the current configuration's COM port lead to the instrument; again
  // after the configuration changed (another port chosen, another file).
  void follow_configuration();

  // Shared: it outlives the program's run for those who hold it.
  const std::shared_ptr<sim::SimulatedInstrument>& instrument() const { return instrument_; }
  // The device the port leads to ("sim:orvadw").
  static std::string device();
  // The COM number the windows use now.
  int com_number() const { return com_number_; }

 private:
  std::shared_ptr<sim::SimulatedInstrument> instrument_;
  int com_number_ = 0;
};

}  // namespace orvadw
