#include "files/save_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text_table.h"
#include "files/file_error.h"

namespace orvadw {

std::string complete_save_path(std::string_view path, std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  std::string out(path);
  if (extension.empty()) return out;
  const std::string suffix = "." + std::string(extension);
  if (out.size() >= suffix.size() && out.compare(out.size() - suffix.size(), suffix.size(), suffix) == 0) {
    return out;
  }
  if (out.empty() || out.back() != '.') out.push_back('.');
  out += extension;
  return out;
}

std::string complete_save_path(std::string_view path, std::string_view extension,
                               const std::vector<std::string>& also_accepted) {
  for (std::string_view other : also_accepted) {
    if (!other.empty() && other.front() == '.') other.remove_prefix(1);
    if (other.empty()) continue;
    const std::string suffix = "." + std::string(other);
    if (path.size() > suffix.size() && path.substr(path.size() - suffix.size()) == suffix)
      return std::string(path);
  }
  return complete_save_path(path, extension);
}

std::string replace_question(std::string_view path, int language) {
  std::string out(path);
  out += " \n\n";
  out += text_of(kReplaceFileTextId, language);
  return out;
}

bool file_exists_for_reading(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::string folder_of(std::string_view path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  return std::string(path.substr(0, slash + 1));
}

std::optional<std::string> choose_save_path(
    std::string_view extension, int language,
    const std::function<std::optional<std::string>()>& ask_path,
    const std::function<bool(const std::string& question)>& confirm_replace,
    const std::vector<std::string>& also_accepted) {
  for (;;) {
    std::optional<std::string> chosen = ask_path();
    if (!chosen) return std::nullopt;
    std::string path = complete_save_path(*chosen, extension, also_accepted);
    if (!file_exists_for_reading(path)) return path;
    if (confirm_replace(replace_question(path, language))) return path;
  }
}

}  // namespace orvadw
