#pragma once
// The program's process-wide state pointed at an empty program folder, as
// on a first start: no search path, no last folder, no call up, no ports.
#include <string>

#include "files/configuration.h"
#include "link/port_map.h"

namespace orvadw::test {

inline void use_fresh_program_folder(const std::string& home) {
  Configuration& configuration = Configuration::instance();
  configuration.set_program_folder(home);
  configuration.set_search_path("");
  configuration.set_last_folder("");
  configuration.set_modem_connected(false);
  PortMap::instance().clear();
}

}  // namespace orvadw::test
