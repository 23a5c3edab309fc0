#pragma once
// What a user reads when a line does not open: which COM number, which
// device, and why ("COM3 (/dev/ttyUSB0, usb-FTDI...): No such file or
// directory"). The command line and the windows say it alike.
#include <string>

namespace orvadw {

// why: the channel's reason (JBusLink::last_error_text()), may be empty.
std::string port_failure_text(int com_number, std::string why);

}  // namespace orvadw
