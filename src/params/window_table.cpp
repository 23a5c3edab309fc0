#include "params/window_table.h"

namespace orvadw {

namespace {

WindowTable identification_window(int /*language*/) {
  WindowTable w;
  w.key = "identification";
  w.descriptors = identification_table();
  w.read_sequence = {block::kIdentification};
  return w;
}

struct WindowEntry {
  const char* key;
  WindowTable (*make)(int language);
};

// One row per window: the keys the command line lists and looks up.
constexpr WindowEntry kWindows[] = {
    {"settings", settings_window},       {"special", special_settings_window},
    {"analog", analog_output_window},    {"measurement", measurement_window},
    {"logger", logger_window},           {"esc", esc_window},
    {"identification", identification_window},
};

}  // namespace

std::vector<std::string> window_keys() {
  std::vector<std::string> keys;
  for (const WindowEntry& entry : kWindows) keys.emplace_back(entry.key);
  return keys;
}

bool find_window(const std::string& key, int language, WindowTable& out) {
  for (const WindowEntry& entry : kWindows) {
    if (key == entry.key) {
      out = entry.make(language);
      return true;
    }
  }
  return false;
}

ParameterFieldList make_field_list(const WindowTable& window, int language) {
  ParameterFieldList list(language, static_cast<int>(window.pages.size()));
  for (const auto& d : window.descriptors) list.add(d);
  list.normalise();
  list.commit();
  return list;
}

}  // namespace orvadw
