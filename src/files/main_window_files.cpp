#include "files/main_window_files.h"

#include <algorithm>

#include "base/ascii_case.h"
#include "base/text_table.h"
#include "files/file_kind.h"
#include "files/save_path.h"

namespace orvadw {

namespace {

constexpr int kFileTextId = 81;
// The first three extensions of Open's first entry are joined without a
// blank, the others after one.
constexpr std::size_t kCloseJoined = 3;

bool listed(const std::vector<int>& kinds, int kind) {
  return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

std::string extension_of_kind(int kind, int language) {
  FileKind file_kind;
  file_kind_from_text_id(kind, language, file_kind);
  return file_kind.extension;
}

// The extension of a file name: after its last dot, in the last path part.
std::string_view extension_of_path(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

}  // namespace

const std::vector<int>& open_filter_order() {
  static const std::vector<int> order = {kSettingsFileKind,     kMeasurementFileKind,
                                         kLoggerFileKind,       kAnalogOutputFileKind,
                                         kEscFileKind,          kSpecialSettingsFileKind};
  return order;
}

const std::vector<int>& open_match_order() {
  static const std::vector<int> order = {kSettingsFileKind,     kMeasurementFileKind,
                                         kAnalogOutputFileKind, kEscFileKind,
                                         kSpecialSettingsFileKind, kLoggerFileKind};
  return order;
}

std::string open_filter(int language, const std::vector<int>& kinds) {
  std::string described;
  std::string patterns;
  std::string entries;
  std::size_t count = 0;
  for (int kind : open_filter_order()) {
    if (!listed(kinds, kind)) continue;
    FileKind file_kind;
    if (file_kind_from_text_id(kind, language, file_kind) != 0) continue;
    described += (count == 0 ? " (*." : ", *.") + file_kind.extension;
    patterns += (count == 0 ? "*." : count < kCloseJoined ? ";*." : "; *.") + file_kind.extension;
    entries += file_kind.filter;
    ++count;
  }
  if (count == 0) return "|";
  return text_of(kFileTextId, language) + described + ")|" + patterns + "|" + entries + "|";
}

int open_kind_for(std::string_view path, const std::vector<int>& kinds, int language) {
  const std::string_view extension = extension_of_path(path);
  if (extension.empty()) return -1;
  for (int kind : open_match_order()) {
    if (listed(kinds, kind) && iequals(extension, extension_of_kind(kind, language))) return kind;
  }
  return -1;
}

std::string save_all_filter(int language, const std::vector<std::string>& extensions) {
  std::string joined;
  std::string each;
  for (const std::string& extension : extensions) {
    if (!joined.empty()) joined += ";";
    joined += "*." + extension;
    each += "*." + extension + ";";
  }
  return text_of(kFileTextId, language) + " (" + joined + ")|" + each + "|";
}

std::vector<std::string> save_all_paths(std::string_view chosen,
                                        const std::vector<std::string>& extensions) {
  std::string base(chosen);
  const std::size_t slash = base.rfind('/');
  const std::size_t name_length = slash == std::string::npos ? base.size() : base.size() - slash - 1;
  for (const std::string& extension : extensions) {
    // A name that is only the extension keeps it: nothing would be left.
    if (name_length > extension.size() + 1 && iends_with(base, "." + extension)) {
      base.resize(base.size() - extension.size() - 1);
      break;
    }
  }
  std::vector<std::string> paths;
  for (const std::string& extension : extensions) paths.push_back(base + "." + extension);
  return paths;
}

std::optional<std::vector<std::string>> choose_save_all_paths(
    const std::vector<std::string>& extensions, int language,
    const std::function<std::optional<std::string>()>& ask_path,
    const std::function<bool(const std::string& question)>& confirm_replace) {
  for (;;) {
    const std::optional<std::string> chosen = ask_path();
    if (!chosen || chosen->empty()) return std::nullopt;
    std::vector<std::string> paths = save_all_paths(*chosen, extensions);
    // The files are written under names the dialog never showed: asking
    // about the chosen name alone would replace the others unasked.
    const auto existing = std::find_if(paths.begin(), paths.end(), file_exists_for_reading);
    if (existing == paths.end() || confirm_replace(replace_question(*existing, language))) {
      return paths;
    }
  }
}

}  // namespace orvadw
