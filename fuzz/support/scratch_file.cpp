#include "fuzz/support/scratch_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>

namespace orvadw::fuzz {

namespace {

std::string& folder_name() {
  static std::string folder;
  return folder;
}

// Leaves nothing behind when the run ends normally.
void remove_scratch_folder() {
  const std::string& folder = folder_name();
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") ::unlink((folder + "/" + name).c_str());
    }
    ::closedir(dir);
  }
  ::rmdir(folder.c_str());
}

const std::string& scratch_folder() {
  static const bool made = [] {
    const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/orvadw-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_name() = pattern;
    std::atexit(remove_scratch_folder);
    return true;
  }();
  (void)made;
  return folder_name();
}

}  // namespace

const std::string& scratch_path(const char* name) {
  static std::mutex mutex;
  static std::map<std::string, std::string> paths;
  std::lock_guard<std::mutex> lock(mutex);
  auto [it, added] = paths.try_emplace(name);
  if (added) it->second = scratch_folder() + "/" + name;
  return it->second;
}

bool write_whole_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = true;
  while (size > 0 && ok) {
    const ssize_t n = ::write(fd, data, size);
    ok = n > 0;
    if (ok) {
      data += n;
      size -= static_cast<std::size_t>(n);
    }
  }
  return ::close(fd) == 0 && ok;
}

std::vector<std::uint8_t> read_whole_file(const std::string& path) {
  std::vector<std::uint8_t> out;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return out;
  std::uint8_t buffer[8192];
  ssize_t n = 0;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) out.insert(out.end(), buffer, buffer + n);
  ::close(fd);
  return out;
}

}  // namespace orvadw::fuzz
