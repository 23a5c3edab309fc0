#pragma once
// The kinds of data file: each window that saves data has one, given as a
// text id whose text reads "description|extension" in every language.
#include <array>
#include <string>
#include <string_view>

namespace orvadw {

struct FileKind {
  std::string extension;  // without a dot, e.g. "eta"
  std::string filter;     // "Setting File (*.eta)|*.eta|"
};

// Splits the kind's text in the given language at its first "|". 0, or -1
// with both parts empty for a negative id or a text that names no extension.
int file_kind_from_text_id(int text_id, int language, FileKind& kind);

// The filter for a description and an extension: "%s (*.%s)|*.%s|".
std::string file_filter(std::string_view description, std::string_view extension);

struct FileKindInfo {
  int text_id;
  const char* extension;
  const char* window;  // the window that saves and loads this kind
};

inline constexpr int kEscFileKind = 82;
inline constexpr int kSettingsFileKind = 83;
inline constexpr int kLoggerFileKind = 84;
inline constexpr int kMeasurementFileKind = 85;
inline constexpr int kAnalogOutputFileKind = 88;
inline constexpr int kSpecialSettingsFileKind = 89;
inline constexpr int kNoFileKind = -1;

// The six kinds windows are built with, in text id order.
const std::array<FileKindInfo, 6>& file_kinds();
// The kind of an extension (without a dot, compared exactly), or nullptr.
const FileKindInfo* file_kind_for_extension(std::string_view extension);

}  // namespace orvadw
