#pragma once
// An initialisation file read and written like the Windows private-profile
// functions: sections and keys matched without regard to case, values
// trimmed, CRLF and LF both read, every other line kept as it was on write,
// and a write that replaces the file whole (temporary file, then rename).
#include <optional>
#include <span>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

namespace orvadw {

class IniFile {
 public:
  IniFile() = default;
  explicit IniFile(std::string path);

  void set_path(std::string path);
  const std::string& path() const { return path_; }

  // The trimmed value (at most 999 characters) without one pair of matching
  // quotes around it, or nothing when the file, the section or the key is
  // missing.
  std::optional<std::string> read(std::string_view section, std::string_view key) const;
  std::string read_text(std::string_view section, std::string_view key,
                        std::string_view default_value) const;
  // 0, or -1 when the path is empty or the file cannot be written.
  int write_text(std::string_view section, std::string_view key, std::string_view value);

  // Several keys of one section in one rewrite of the file (all or none:
  // -1 when any name or value cannot be written).
  int write_texts(std::string_view section,
                  std::span<const std::pair<std::string, std::string>> entries);

  // The keys of one section with their values, in file order, from one read;
  // a key is the text before the first "=" of its line.
  std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;
  // The keys of one section, in file order, as written.
  std::vector<std::string> keys(std::string_view section) const;

 private:
  std::string path_;
};

}  // namespace orvadw
