#include "base/program_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace orvadw {

namespace {
std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v == nullptr ? std::string() : std::string(v);
}

bool is_writable_folder(const std::string& folder) {
  struct stat st {};
  return !folder.empty() && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         ::access(folder.c_str(), W_OK) == 0;
}
}  // namespace

std::string with_trailing_slash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string executable_path() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<std::size_t>(n));
    if (buffer.size() >= 65536) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::string home_folder() {
  std::string home = env("HOME");
  if (home.empty()) {
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
      home = pw->pw_dir;
    }
  }
  if (home.empty()) return std::string(1, '/');
  return with_trailing_slash(home);
}

std::string resolve_program_folder(const std::string& orvadw_home, const std::string& executable,
                                   const std::string& xdg_data_home, const std::string& home) {
  if (!orvadw_home.empty()) return with_trailing_slash(orvadw_home);
  std::size_t slash = executable.rfind('/');
  if (slash != std::string::npos) {
    std::string folder = executable.substr(0, slash + 1);
    // An installed program never keeps its files among the system's
    // programs, even for a user (root) who could write there.
    const bool installed = folder.rfind("/usr/", 0) == 0;
    if (!installed && is_writable_folder(folder)) return folder;
  }
  // A relative XDG_DATA_HOME is invalid and ignored, as the base directory
  // rules say.
  if (!xdg_data_home.empty() && xdg_data_home.front() == '/') {
    return with_trailing_slash(xdg_data_home) + "orvadw/";
  }
  return with_trailing_slash(home.empty() ? std::string("/") : home) + ".local/share/orvadw/";
}

std::string program_folder() {
  std::string folder =
      resolve_program_folder(env("ORVADW_HOME"), executable_path(), env("XDG_DATA_HOME"), home_folder());
  make_folders(folder);
  return folder;
}

bool make_folders(const std::string& folder) {
  if (folder.empty()) return false;
  std::string path;
  std::size_t pos = 0;
  while (pos <= folder.size()) {
    std::size_t slash = folder.find('/', pos);
    if (slash == std::string::npos) slash = folder.size();
    path = folder.substr(0, slash);
    if (!path.empty() && ::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return false;
    pos = slash + 1;
  }
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace orvadw
