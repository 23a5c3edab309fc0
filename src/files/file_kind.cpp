#include "files/file_kind.h"

#include "base/text_table.h"

namespace orvadw {

std::string file_filter(std::string_view description, std::string_view extension) {
  std::string out(description);
  out += " (*.";
  out += extension;
  out += ")|*.";
  out += extension;
  out += "|";
  return out;
}

int file_kind_from_text_id(int text_id, int language, FileKind& kind) {
  kind.extension.clear();
  kind.filter.clear();
  if (text_id < 0) return -1;
  const std::string text = text_of(text_id, language);
  const std::size_t bar = text.find('|');
  // Without an extension a save would complete every name with a bare dot.
  if (bar == std::string::npos || bar + 1 >= text.size()) return -1;
  kind.extension = text.substr(bar + 1);
  kind.filter = file_filter(std::string_view(text).substr(0, bar), kind.extension);
  return 0;
}

const std::array<FileKindInfo, 6>& file_kinds() {
  static const std::array<FileKindInfo, 6> kinds{{
      {kEscFileKind, "esc", "ESC information"},
      {kSettingsFileKind, "eta", "settings"},
      {kLoggerFileKind, "log", "logger"},
      {kMeasurementFileKind, "mes", "measurement"},
      {kAnalogOutputFileKind, "sa", "4-20 mA output adjustment"},
      {kSpecialSettingsFileKind, "rsp", "special settings"},
  }};
  return kinds;
}

const FileKindInfo* file_kind_for_extension(std::string_view extension) {
  for (const auto& kind : file_kinds()) {
    if (extension == kind.extension) return &kind;
  }
  return nullptr;
}

}  // namespace orvadw
