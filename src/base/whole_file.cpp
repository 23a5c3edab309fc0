#include "base/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace orvadw {

namespace {

bool write_all(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

int replace_file(const std::string& target, std::string_view content) {
  struct stat old {};
  bool existed = ::stat(target.c_str(), &old) == 0;
  if (existed && !S_ISREG(old.st_mode)) {
    errno = EISDIR;
    return -1;
  }

  std::string tmpl = target + ".XXXXXX";
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return -1;
  mode_t mode = 0;
  if (existed) {
    mode = old.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = ::fchmod(fd, mode) == 0;
  if (ok && existed && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
    // Best effort: only a privileged user can give the file back its owner.
    [[maybe_unused]] int ignored = ::fchown(fd, old.st_uid, old.st_gid);
  }
  ok = ok && write_all(fd, content) && ::fsync(fd) == 0;
  int error = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(tmpl.c_str(), target.c_str()) == 0) return 0;
  if (ok) error = errno;
  ::unlink(tmpl.c_str());
  errno = error;
  return -1;
}

}  // namespace orvadw
