#include "params/window_table.h"

namespace orvadw {

std::vector<std::string> window_keys() {
  return {"settings", "special", "analog", "measurement", "logger", "esc", "identification"};
}

bool find_window(const std::string& key, int language, WindowTable& out) {
  if (key == "settings") {
    out = settings_window(language);
  } else if (key == "special") {
    out = special_settings_window(language);
  } else if (key == "analog") {
    out = analog_output_window(language);
  } else if (key == "measurement") {
    out = measurement_window(language);
  } else if (key == "logger") {
    out = logger_window(language);
  } else if (key == "esc") {
    out = esc_window(language);
  } else if (key == "identification") {
    out = WindowTable{};
    out.key = key;
    out.descriptors = identification_table();
    out.read_sequence = {block::kIdentification};
  } else {
    return false;
  }
  return true;
}

ParameterFieldList make_field_list(const WindowTable& window, int language) {
  ParameterFieldList list(language, static_cast<int>(window.pages.size()));
  for (const auto& d : window.descriptors) list.add(d);
  list.normalise();
  list.commit();
  return list;
}

}  // namespace orvadw
