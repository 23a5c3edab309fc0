#pragma once
// The spreadsheet keys of the configuration as the export reads them: the
// program, the name that says whether it runs a macro, and the macro chosen
// for each file kind.
#include <string>
#include <string_view>

namespace orvadw {

class SettingsStore;

struct SpreadsheetSettings {
  std::string program;  // Path Spreadsheet; "" starts nothing
  std::string name;     // Spreadsheet Name ("excel.exe" unless set)
  // A macro is offered: the program's path contains the name.
  bool configured() const;
};

SpreadsheetSettings read_spreadsheet_settings(const SettingsStore& settings);
// "Path Macro <kind>", the home folder when never chosen.
std::string read_macro_path(const SettingsStore& settings, std::string_view kind_extension);
int write_macro_path(SettingsStore& settings, std::string_view kind_extension,
                     const std::string& path);

}  // namespace orvadw
