#include "files/link_settings.h"

#include <cmath>
#include <limits>

#include "files/config_keys.h"

namespace orvadw {

namespace {

// Converting a double outside int's range is undefined: such a value can only
// come from a damaged file, so it counts as missing.
int stored_integer(const SettingsStore& store, std::string_view key, int fallback) {
  const double value = store.read_number(config::kCom, key, fallback);
  if (!std::isfinite(value)) return fallback;
  const double truncated = std::trunc(value);
  // Port + 1 must not overflow either.
  if (truncated < std::numeric_limits<int>::min() ||
      truncated > std::numeric_limits<int>::max() - 1) {
    return fallback;
  }
  return static_cast<int>(truncated);
}

}  // namespace

LinkSettings read_link_settings(const SettingsStore& store) {
  LinkSettings settings;
  settings.port_number = stored_integer(store, config::kPort, LinkSettings::kDefaultPort) + 1;
  settings.baud_index = stored_integer(store, config::kBauds, LinkSettings::kDefaultBaudIndex);
  settings.jbus_number = stored_integer(store, config::kJBus, LinkSettings::kDefaultJBusNumber);
  return settings;
}

}  // namespace orvadw
