#pragma once
// The command line of orvadw-sim.
#include <string>
#include <vector>

#include "sim/fault_options.h"
#include "sim/simulated_instrument.h"

namespace orvadw::sim {

struct ProgramOptions {
  std::string link;       // a symlink to the pty slave is made here when set
  InstrumentOptions instrument;
  FaultOptions faults;
  int baud = 0;           // 0: unpaced
  bool modem = false;     // a Hayes modem in front of the instrument
  std::string dial_answer = "CONNECT";
  int dial_delay_ms = 500;
  int guard_ms = 1000;
  bool help = false;
};

// Parses the arguments after the program name. Returns 0, or 2 with a
// sentence in error for a bad option or value.
int parse_program_options(const std::vector<std::string>& args, ProgramOptions& options,
                          std::string& error);

// The usage text printed by --help and after a bad option.
std::string program_usage();

}  // namespace orvadw::sim
