// Any bytes as a configuration file, then one key written: reads never give
// more than 999 characters, a value that would break the line structure is
// refused with the file untouched, a written value reads back as written,
// and no other key of the file changes.
#include <algorithm>
#include <iterator>

#include "base/ascii_case.h"
#include "base/ini_file.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/fuzz_input.h"
#include "fuzz/support/scratch_file.h"

namespace orvadw::fuzz {

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kSections[] = {"Com", "Modem", "File Save", "Ports", "Rect Wnd", "New"};
constexpr const char* kKeys[] = {"Port", "Telefon number", "Rect Wnd Top = ", "COM1", "Path Macro mes",
                                 "Fresh"};

// The section names the file has, as its header lines give them.
std::vector<std::string> section_names(const std::string& content) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    const std::size_t open = line.find_first_not_of(" \t\r\v\f");
    if (open != std::string::npos && line[open] == '[') {
      const std::size_t close = line.find(']', open);
      if (close != std::string::npos) {
        std::string name = line.substr(open + 1, close - open - 1);
        const std::size_t a = name.find_first_not_of(" \t\r\n\v\f");
        const std::size_t b = name.find_last_not_of(" \t\r\n\v\f");
        out.push_back(a == std::string::npos ? std::string() : name.substr(a, b - a + 1));
      }
    }
    start = end + 1;
  }
  return out;
}

std::size_t characters(const std::string& utf8) {
  return static_cast<std::size_t>(std::count_if(
      utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string trimmed(const std::string& s) {
  const std::size_t a = s.find_first_not_of(" \t\r\n\v\f");
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(" \t\r\n\v\f") - a + 1);
}

}  // namespace

int fuzz_ini_file(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const std::string section = kSections[in.pick(std::size(kSections))];
  const std::string key = kKeys[in.pick(std::size(kKeys))];
  const std::vector<std::uint8_t> raw_value = in.counted_bytes();
  // Quotes are left out so that the check does not depend on how a quoted
  // value reads back.
  std::string value;
  for (std::uint8_t c : raw_value) value.push_back(c == '"' || c == '\'' ? 'q' : static_cast<char>(c));
  const std::string content = in.rest_text();
  const std::string& path = scratch_path("fuzz.OrvadW10");
  if (!write_whole_file(path, reinterpret_cast<const std::uint8_t*>(content.data()), content.size())) {
    return 0;
  }

  IniFile ini(path);
  std::vector<std::string> names = section_names(content);
  names.push_back(section);
  std::vector<Entries> before;
  for (const std::string& name : names) {
    before.push_back(ini.entries(name));
    for (const auto& [k, v] : before.back()) {
      FUZZ_CHECK(characters(v) <= 999, "a value longer than 999 characters was read");
    }
  }
  if (auto read = ini.read(section, key)) {
    FUZZ_CHECK(characters(*read) <= 999, "a value longer than 999 characters was read");
  }

  const int rc = ini.write_text(section, key, value);
  const bool breaks_lines = value.find_first_of("\r\n") != std::string::npos;
  if (breaks_lines) FUZZ_CHECK(rc != 0, "a value with a line break was written");
  const std::vector<std::uint8_t> after = read_whole_file(path);
  if (rc != 0) {
    FUZZ_CHECK(std::string(after.begin(), after.end()) == content, "a refused write changed the file");
    return 0;
  }

  const std::optional<std::string> back = ini.read(section, key);
  FUZZ_CHECK(back.has_value(), "a written key cannot be read back");
  const std::string expected = trimmed(value);
  if (back && characters(expected) <= 999) {
    FUZZ_CHECK(*back == expected, "a written value reads back differently");
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (iequals(names[i], section)) continue;
    FUZZ_CHECK(ini.entries(names[i]) == before[i], "writing one key changed another section");
  }
  // In its own section at most one entry of that key went and one came (the
  // entry list names a key by the text before its first "=").
  const std::string name = trimmed(key.substr(0, key.find('=')));
  Entries was = before.back();
  Entries now = ini.entries(section);
  std::sort(was.begin(), was.end());
  std::sort(now.begin(), now.end());
  Entries gone;
  Entries came;
  std::set_difference(was.begin(), was.end(), now.begin(), now.end(), std::back_inserter(gone));
  std::set_difference(now.begin(), now.end(), was.begin(), was.end(), std::back_inserter(came));
  const auto only_that_key = [&name](const Entries& changed) {
    return changed.size() <= 1 &&
           std::all_of(changed.begin(), changed.end(),
                       [&name](const auto& e) { return iequals(e.first, name); });
  };
  FUZZ_CHECK(only_that_key(gone) && only_that_key(came),
             "writing one key changed another key of its section");
  return 0;
}

}  // namespace orvadw::fuzz
