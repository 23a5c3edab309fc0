#pragma once
// Which instrument a window talks to: the COM port, the speed index and the
// JBus number of the configuration section "Com", read once when a window is
// built so that a change in the options applies to windows opened later.
#include "files/settings_store.h"

namespace orvadw {

struct LinkSettings {
  static constexpr int kDefaultPort = 0;       // stored 0-based: COM1
  static constexpr int kDefaultBaudIndex = 5;  // 9600 baud
  static constexpr int kDefaultJBusNumber = 1;

  int port_number = kDefaultPort + 1;  // 1-based COM number
  int baud_index = kDefaultBaudIndex;
  int jbus_number = kDefaultJBusNumber;
};

// Reads Com/Port, Com/Bauds and Com/JBus as numbers truncated toward zero;
// the COM number is Port + 1. A value no integer can hold (a hand-edited
// file) is read as its default.
LinkSettings read_link_settings(const SettingsStore& store);

}  // namespace orvadw
