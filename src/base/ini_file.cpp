#include "base/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>

#include "base/ascii_case.h"
#include "base/whole_file.h"

namespace orvadw {

namespace {

constexpr std::size_t kMaxValueCharacters = 999;
// A configuration file is a few kilobytes; anything far larger is not one of
// ours and is neither loaded into memory nor overwritten.
constexpr off_t kMaxFileBytes = 16 * 1024 * 1024;

// Serialises read-modify-write cycles so that two stores on the same file in
// this process never lose each other's writes.
std::mutex& write_mutex() {
  static std::mutex m;
  return m;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

// One physical line: its text without terminator, and the terminator as found
// ("\n", "\r\n" or "" on a last line without one).
struct Line {
  std::string text;
  std::string ending;
};

enum class ReadStatus { kOk, kMissing, kFailed };

ReadStatus read_file(const std::string& path, std::string& content) {
  content.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ReadStatus::kMissing : ReadStatus::kFailed;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileBytes) {
    ::close(fd);
    return ReadStatus::kFailed;
  }
  char buffer[8192];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return ReadStatus::kFailed;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
    if (content.size() > static_cast<std::size_t>(kMaxFileBytes)) {
      ::close(fd);
      return ReadStatus::kFailed;
    }
  }
  ::close(fd);
  return ReadStatus::kOk;
}

std::vector<Line> split_lines(std::string_view content) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t nl = content.find('\n', start);
    if (nl == std::string_view::npos) {
      lines.push_back({std::string(content.substr(start)), ""});
      break;
    }
    std::size_t end = nl;
    const bool crlf = end > start && content[end - 1] == '\r';
    if (crlf) --end;
    lines.push_back({std::string(content.substr(start, end - start)), crlf ? "\r\n" : "\n"});
    start = nl + 1;
  }
  return lines;
}

// The text of a line as parsed: a UTF-8 byte order mark on the first line is
// not part of it.
std::string_view parse_view(const std::vector<Line>& lines, std::size_t index) {
  std::string_view t = lines[index].text;
  if (index == 0 && t.size() >= 3 && t.substr(0, 3) == "\xEF\xBB\xBF") t.remove_prefix(3);
  return t;
}

// The section name when the line is a section header.
std::optional<std::string_view> section_of(std::string_view line) {
  std::string_view t = trim(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  std::size_t close = t.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trim(t.substr(1, close - 1));
}

bool is_comment(std::string_view line) {
  std::string_view t = trim(line);
  return !t.empty() && t.front() == ';';
}

// When the line holds the key, the position of the '=' that ends the key
// name. The key name is compared trimmed and without regard to case; a name
// that itself ends in "=" (the placement keys "Rect Wnd Top = ") is found in
// the line it writes ("Rect Wnd Top = =-50"), so such keys round-trip.
std::optional<std::size_t> key_match(std::string_view line, std::string_view key) {
  if (key.empty() || is_comment(line) || section_of(line)) return std::nullopt;
  std::size_t pos = 0;
  while (pos < line.size() && is_blank(line[pos])) ++pos;
  if (!istarts_with(line.substr(pos), key)) return std::nullopt;
  pos += key.size();
  while (pos < line.size() && is_blank(line[pos])) ++pos;
  if (pos >= line.size() || line[pos] != '=') return std::nullopt;
  return pos;
}

// The key name of a key line: the text before its first '=', trimmed.
std::optional<std::string_view> key_of(std::string_view line) {
  if (is_comment(line) || section_of(line)) return std::nullopt;
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  std::string_view name = trim(line.substr(0, eq));
  if (name.empty()) return std::nullopt;
  return name;
}

// A value written between one pair of matching quotes is read without
// them, as the private-profile functions read it: "COM 1" gives COM 1.
std::string_view unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value.remove_prefix(1);
    value.remove_suffix(1);
  }
  return value;
}

// Cuts a value to at most 999 characters without splitting a UTF-8 sequence.
std::string limit_value(std::string_view value) {
  std::size_t characters = 0;
  std::size_t i = 0;
  while (i < value.size()) {
    if (characters == kMaxValueCharacters) break;
    auto c = static_cast<unsigned char>(value[i]);
    std::size_t len = 1;
    if (c >= 0xF0 && c <= 0xF7) {
      len = 4;
    } else if (c >= 0xE0) {
      len = 3;
    } else if (c >= 0xC0) {
      len = 2;
    }
    std::size_t j = 1;
    while (j < len && i + j < value.size() &&
           (static_cast<unsigned char>(value[i + j]) & 0xC0) == 0x80) {
      ++j;
    }
    i += j;  // a malformed sequence counts byte by byte
    ++characters;
  }
  return std::string(value.substr(0, i));
}

struct Location {
  std::optional<std::size_t> section_line;  // header of the first matching section
  std::size_t section_end = 0;              // index after the section's last line
  std::optional<std::size_t> key_line;
  std::size_t equals = 0;
  std::optional<std::size_t> last_key_line;  // for inserting a new key
};

Location locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
  Location loc;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view t = parse_view(lines, i);
    auto name = section_of(t);
    if (!loc.section_line) {
      if (name && iequals(*name, section)) {
        loc.section_line = i;
        loc.section_end = lines.size();
      }
      continue;
    }
    if (name) {
      loc.section_end = i;
      break;
    }
    if (!key.empty() && !loc.key_line) {
      if (auto eq = key_match(t, key)) {
        loc.key_line = i;
        loc.equals = *eq;
      }
    }
    if (key_of(t)) loc.last_key_line = i;
  }
  return loc;
}

bool has_line_break(std::string_view s) {
  return s.find('\n') != std::string_view::npos || s.find('\r') != std::string_view::npos;
}

// Where the file really lives: a symbolic link keeps pointing at the file we
// rewrite instead of being replaced by a plain file.
std::string resolve_target(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
  }
  return path;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

void IniFile::set_path(std::string path) { path_ = std::move(path); }

std::optional<std::string> IniFile::read(std::string_view section, std::string_view key) const {
  if (path_.empty()) return std::nullopt;
  std::string_view wanted_key = trim(key);
  if (wanted_key.empty()) return std::nullopt;
  std::string content;
  if (read_file(path_, content) != ReadStatus::kOk) return std::nullopt;
  std::vector<Line> lines = split_lines(content);
  Location loc = locate(lines, trim(section), wanted_key);
  if (!loc.key_line) return std::nullopt;
  std::string_view t = parse_view(lines, *loc.key_line);
  return limit_value(unquote(trim(t.substr(loc.equals + 1))));
}

std::string IniFile::read_text(std::string_view section, std::string_view key,
                               std::string_view default_value) const {
  auto value = read(section, key);
  return value ? *value : limit_value(default_value);
}

namespace {

// Names and values that would break the line structure are refused rather
// than written into a file that no longer reads back.
bool writable(std::string_view section, std::string_view key, std::string_view value) {
  std::string_view wanted_section = trim(section);
  std::string_view wanted_key = trim(key);
  return !wanted_section.empty() && !wanted_key.empty() && !has_line_break(section) &&
         !has_line_break(key) && !has_line_break(value) &&
         wanted_section.find(']') == std::string_view::npos && wanted_key.front() != '[' &&
         wanted_key.front() != ';';
}

// Sets one key in the parsed lines, keeping every other line as it was.
void set_key(std::vector<Line>& lines, std::string_view section, std::string_view key,
             std::string_view value, const std::string& eol) {
  std::string_view wanted_section = trim(section);
  // The key as written keeps any trailing blanks of the name given, so
  // "Rect Wnd Top = " gives "Rect Wnd Top = =-50".
  std::string_view written_key = key;
  while (!written_key.empty() && is_blank(written_key.front())) written_key.remove_prefix(1);
  std::string new_key_line = std::string(written_key) + "=" + std::string(value);

  Location loc = locate(lines, wanted_section, trim(key));
  if (loc.key_line) {
    Line& line = lines[*loc.key_line];
    // Keep the hand-written key spelling and the spacing around '='.
    std::size_t offset = line.text.size() - parse_view(lines, *loc.key_line).size();
    std::size_t keep = offset + loc.equals + 1;
    while (keep < line.text.size() && (line.text[keep] == ' ' || line.text[keep] == '\t')) ++keep;
    line.text = line.text.substr(0, keep) + std::string(value);
  } else {
    if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = eol;
    if (loc.section_line) {
      std::size_t at = (loc.last_key_line ? *loc.last_key_line : *loc.section_line) + 1;
      lines.insert(lines.begin() + static_cast<long>(at), Line{new_key_line, eol});
    } else {
      lines.push_back(Line{"[" + std::string(wanted_section) + "]", eol});
      lines.push_back(Line{new_key_line, eol});
    }
  }
}

}  // namespace

int IniFile::write_text(std::string_view section, std::string_view key, std::string_view value) {
  const std::pair<std::string, std::string> entry{std::string(key), std::string(value)};
  return write_texts(section, std::span(&entry, 1));
}

int IniFile::write_texts(std::string_view section,
                         std::span<const std::pair<std::string, std::string>> entries) {
  if (path_.empty()) return -1;
  for (const auto& [key, value] : entries) {
    if (!writable(section, key, value)) return -1;
  }

  std::lock_guard<std::mutex> lock(write_mutex());
  std::string target = resolve_target(path_);
  std::string content;
  ReadStatus status = read_file(target, content);
  if (status == ReadStatus::kFailed) return -1;  // never overwrite what we could not read

  std::vector<Line> lines = split_lines(content);
  std::string eol = "\n";
  if (!lines.empty() && lines.front().ending == "\r\n") eol = "\r\n";
  for (const auto& [key, value] : entries) set_key(lines, section, key, value, eol);

  std::string out;
  out.reserve(content.size() + 64 * entries.size());
  for (const Line& line : lines) {
    out += line.text;
    out += line.ending;
  }
  return replace_file(target, out);
}

std::vector<std::pair<std::string, std::string>> IniFile::entries(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> out;
  if (path_.empty()) return out;
  std::string content;
  if (read_file(path_, content) != ReadStatus::kOk) return out;
  std::vector<Line> lines = split_lines(content);
  Location loc = locate(lines, trim(section), {});
  if (!loc.section_line) return out;
  for (std::size_t i = *loc.section_line + 1; i < loc.section_end; ++i) {
    std::string_view t = parse_view(lines, i);
    if (auto name = key_of(t)) {
      out.emplace_back(std::string(*name), limit_value(unquote(trim(t.substr(t.find('=') + 1)))));
    }
  }
  return out;
}

std::vector<std::string> IniFile::keys(std::string_view section) const {
  std::vector<std::string> out;
  for (auto& [key, value] : entries(section)) out.push_back(std::move(key));
  return out;
}

}  // namespace orvadw
