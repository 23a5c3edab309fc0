#include "files/identification_header.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "base/c_locale.h"
#include "base/version_info.h"

namespace orvadw {

namespace {

void add_line(std::string& out, std::string_view value) {
  for (char c : value) out.push_back(c == '\n' ? ' ' : c);
  out.push_back('\n');
}

template <typename T>
T bounded_number(std::string_view line) {
  long long v = c_strtoll(line);
  v = std::clamp<long long>(v, 0, static_cast<long long>(std::numeric_limits<T>::max()));
  return static_cast<T>(v);
}

}  // namespace

std::string build_header_text(std::string_view title, const IdentificationTexts& ids) {
  std::string out;
  add_line(out, title);
  add_line(out, version::kInternalName);
  add_line(out, kReservedHeaderLine);
  add_line(out, ids.serial_week);
  add_line(out, ids.serial_year);
  add_line(out, ids.serial_number);
  add_line(out, ids.software_version);
  add_line(out, ids.software_name);
  return out;
}

int parse_header_text(std::string_view text, FileHeader& header) {
  // Every line feed ends a line, so empty lines (an empty title) keep their
  // place; the text comes without its last line feed.
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (lines.size() < static_cast<std::size_t>(kHeaderLineCount)) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  const auto count = static_cast<int>(lines.size());
  for (int i = 0; i < count; ++i) {
    std::string_view line = lines[static_cast<std::size_t>(i)];
    switch (i) {
      case 0: header.window_title = std::string(line); break;
      case 1: header.internal_name = std::string(line); break;
      case 2: header.reserved = bounded_number<std::uint32_t>(line); break;
      case 3: header.serial_week = bounded_number<std::uint16_t>(line); break;
      case 4: header.serial_year = bounded_number<std::uint16_t>(line); break;
      case 5: header.serial_number = bounded_number<std::uint32_t>(line); break;
      case 6: header.software_version = std::string(line); break;
      case 7: header.software_name = std::string(line); break;
      default: break;
    }
  }
  header.line_count = count;
  return count;
}

}  // namespace orvadw
