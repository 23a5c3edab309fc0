#pragma once
// Section and key access to one configuration file, as every dialog uses it:
// texts as stored, numbers written with "%f" in the C locale (5 is stored as
// 5.000000) and read with atof semantics (a missing key yields the default,
// an unparsable value 0).
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ini_file.h"

namespace orvadw {

class SettingsStore {
 public:
  SettingsStore() = default;
  explicit SettingsStore(std::string path);

  void set_path(std::string path);
  const std::string& path() const;

  // The stored text (at most 999 characters), the default when the key is
  // missing, "" when no path is set.
  std::string read_text(std::string_view section, std::string_view key,
                        std::string_view default_value) const;
  // 0, or -1 when no path is set or the file cannot be written.
  int write_text(std::string_view section, std::string_view key, std::string_view text);
  // The default unchanged when no path is set.
  double read_number(std::string_view section, std::string_view key, double default_value) const;
  int write_number(std::string_view section, std::string_view key, double value);
  // Several numbers of one section in one rewrite of the file.
  int write_numbers(std::string_view section,
                    const std::vector<std::pair<std::string, double>>& values);

 private:
  IniFile file_;
};

}  // namespace orvadw
