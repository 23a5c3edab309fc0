#include "files/settings_store.h"

#include "base/c_locale.h"

namespace orvadw {

SettingsStore::SettingsStore(std::string path) : file_(std::move(path)) {}

void SettingsStore::set_path(std::string path) { file_.set_path(std::move(path)); }

const std::string& SettingsStore::path() const { return file_.path(); }

std::string SettingsStore::read_text(std::string_view section, std::string_view key,
                                     std::string_view default_value) const {
  if (file_.path().empty()) return {};
  return file_.read_text(section, key, default_value);
}

int SettingsStore::write_text(std::string_view section, std::string_view key, std::string_view text) {
  if (file_.path().empty()) return -1;
  return file_.write_text(section, key, text);
}

double SettingsStore::read_number(std::string_view section, std::string_view key,
                                  double default_value) const {
  if (file_.path().empty()) return default_value;
  // The default goes through the same text form as a stored value, so a
  // missing key and a stored default read back alike.
  std::string text = file_.read_text(section, key, c_format("%f", default_value));
  return c_atof(text);
}

int SettingsStore::write_number(std::string_view section, std::string_view key, double value) {
  return write_text(section, key, c_format("%f", value));
}

int SettingsStore::write_numbers(std::string_view section,
                                 const std::vector<std::pair<std::string, double>>& values) {
  if (file_.path().empty()) return -1;
  std::vector<std::pair<std::string, std::string>> texts;
  texts.reserve(values.size());
  for (const auto& [key, value] : values) texts.emplace_back(key, c_format("%f", value));
  return file_.write_texts(section, texts);
}

}  // namespace orvadw
