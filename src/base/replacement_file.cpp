#include "base/replacement_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace orvadw {

namespace {

// More than the kernel follows before it gives up with ELOOP.
constexpr int kMaxLinkHops = 40;
// Room for ".", ".XXXXXX" and the name within NAME_MAX.
constexpr std::size_t kMaxNameInTemporary = 200;

std::string folder_part(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string name_part(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a chain of symbolic links ends at, even when it does not exist
// yet; "" with errno ELOOP for a chain that never ends.
std::string follow_links(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(current.c_str(), buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return current;
    std::string link(buffer, static_cast<std::size_t>(n));
    current = link.front() == '/' ? link : folder_part(current) + link;
  }
  errno = ELOOP;
  return {};
}

std::string random_suffix() {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char raw[6] = {};
  if (::getrandom(raw, sizeof raw, 0) != static_cast<ssize_t>(sizeof raw)) {
    // Uniqueness comes from O_EXCL; the name only has to differ often.
    static unsigned counter = 0;
    const unsigned seed = static_cast<unsigned>(::getpid()) * 2654435761u + ++counter;
    for (std::size_t i = 0; i < sizeof raw; ++i) raw[i] = static_cast<unsigned char>(seed >> (i * 5));
  }
  std::string out;
  for (unsigned char c : raw) out.push_back(kLetters[c % (sizeof kLetters - 1)]);
  return out;
}

bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Makes the rename itself durable. A file system that cannot flush a folder
// has still renamed the file, so that is not a failure of the save.
void flush_folder(const std::string& path) {
  std::string folder = folder_part(path);
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

ReplacementFile::~ReplacementFile() { discard(); }

int ReplacementFile::fail() {
  error_number_ = errno != 0 ? errno : EIO;
  discard();
  return -1;
}

int ReplacementFile::open(const std::string& target) {
  discard();
  error_number_ = 0;
  errno = 0;
  target_ = follow_links(target);
  if (target_.empty()) return fail();

  struct stat old {};
  existed_ = ::stat(target_.c_str(), &old) == 0;
  if (existed_ && !S_ISREG(old.st_mode)) {
    // Renaming over a folder, a device or a pipe would replace it with a
    // plain file.
    errno = S_ISDIR(old.st_mode) ? EISDIR : ENOTSUP;
    return fail();
  }
  old_mode_ = existed_ ? (old.st_mode & 07777) : 0;
  old_uid_ = existed_ ? old.st_uid : 0;
  old_gid_ = existed_ ? old.st_gid : 0;

  std::string name = name_part(target_);
  if (name.size() > kMaxNameInTemporary) name.resize(kMaxNameInTemporary);
  const std::string stem = folder_part(target_) + "." + name + ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary_ = stem + random_suffix();
    // 0666 so that a new file gets the mode the umask gives any new file.
    fd_ = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0 || errno != EEXIST) break;
  }
  if (fd_ < 0) {
    temporary_.clear();
    return fail();
  }
  if (existed_) {
    if (::fchmod(fd_, static_cast<mode_t>(old_mode_)) != 0) return fail();
    if (old_uid_ != ::geteuid() || old_gid_ != ::getegid()) {
      // Best effort: only a privileged user can give the file back its owner.
      [[maybe_unused]] const int ignored =
          ::fchown(fd_, static_cast<uid_t>(old_uid_), static_cast<gid_t>(old_gid_));
    }
  }
  return 0;
}

int ReplacementFile::write(std::string_view bytes) {
  if (fd_ < 0) {
    error_number_ = EBADF;
    return -1;
  }
  if (!write_all(fd_, bytes.data(), bytes.size())) {
    error_number_ = errno;
    return -1;
  }
  return 0;
}

int ReplacementFile::commit() {
  if (fd_ < 0) {
    error_number_ = EBADF;
    return -1;
  }
  errno = 0;
  if (::fsync(fd_) != 0) return fail();
  const int fd = fd_;
  fd_ = -1;
  // close() reports the last deferred write error of some file systems.
  if (::close(fd) != 0) return fail();
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) return fail();
  temporary_.clear();
  flush_folder(target_);
  return 0;
}

void ReplacementFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

int replace_file_contents(const std::string& target, std::string_view content,
                          int* error_number) {
  ReplacementFile file;
  const int rc =
      (file.open(target) == 0 && file.write(content) == 0 && file.commit() == 0) ? 0 : -1;
  if (error_number != nullptr) *error_number = rc == 0 ? 0 : file.error_number();
  return rc;
}

int copy_file_replacing(const std::string& source, const std::string& target,
                        int* error_number) {
  const auto failed = [error_number](int code) {
    if (error_number != nullptr) *error_number = code;
    return -1;
  };
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) return failed(errno);
  struct stat from {};
  struct stat to {};
  int code = 0;
  if (::fstat(in, &from) != 0) {
    code = errno;
  } else if (!S_ISREG(from.st_mode)) {
    code = S_ISDIR(from.st_mode) ? EISDIR : EINVAL;
  }
  if (code != 0) {
    ::close(in);
    return failed(code);
  }
  // Replacing a file with a copy of itself would first empty the source.
  if (::stat(target.c_str(), &to) == 0 && to.st_dev == from.st_dev && to.st_ino == from.st_ino) {
    ::close(in);
    return failed(EINVAL);
  }
  ReplacementFile out;
  if (out.open(target) != 0) {
    ::close(in);
    return failed(out.error_number());
  }
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      code = errno;
      ::close(in);
      return failed(code);
    }
    if (n == 0) break;
    if (out.write(std::string_view(buffer, static_cast<std::size_t>(n))) != 0) {
      ::close(in);
      return failed(out.error_number());
    }
  }
  ::close(in);
  if (out.commit() != 0) return failed(out.error_number());
  if (error_number != nullptr) *error_number = 0;
  return 0;
}

}  // namespace orvadw
