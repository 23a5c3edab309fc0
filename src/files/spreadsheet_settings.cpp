#include "files/spreadsheet_settings.h"

#include "base/program_folder.h"
#include "files/config_keys.h"
#include "files/settings_store.h"
#include "files/spreadsheet_command.h"

namespace orvadw {

bool SpreadsheetSettings::configured() const {
  return spreadsheet_configured(program, name);
}

SpreadsheetSettings read_spreadsheet_settings(const SettingsStore& settings) {
  SpreadsheetSettings s;
  s.program = settings.read_text(config::kSpreadsheet, config::kPathSpreadsheet, "");
  s.name = settings.read_text(config::kSpreadsheet, config::kSpreadsheetName,
                              config::kDefaultSpreadsheetName);
  return s;
}

std::string read_macro_path(const SettingsStore& settings, std::string_view kind_extension) {
  const std::string key = config::macro_key(kind_extension);
  const config::KeyInfo* info = config::find_key(config::kSpreadsheet, key);
  const std::string fallback =
      info != nullptr ? config::default_text(*info, program_folder()) : home_folder();
  return settings.read_text(config::kSpreadsheet, key, fallback);
}

int write_macro_path(SettingsStore& settings, std::string_view kind_extension,
                     const std::string& path) {
  return settings.write_text(config::kSpreadsheet, config::macro_key(kind_extension), path);
}

}  // namespace orvadw
