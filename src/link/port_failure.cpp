#include "link/port_failure.h"

#include "link/port_map.h"

namespace orvadw {

std::string port_failure_text(int com_number, std::string why) {
  const PortMap& ports = PortMap::instance();
  if (ports.device_for(com_number).empty()) {
    why = "no device is known for this COM number (see the Ports section)";
  }
  std::string text = "COM" + std::to_string(com_number);
  const std::string described = ports.describe(com_number);
  if (!described.empty()) text += " (" + described + ")";
  if (!why.empty()) text += ": " + why;
  return text;
}

}  // namespace orvadw
