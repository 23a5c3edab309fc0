#include "files/option_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/replacement_file.h"

namespace orvadw {

bool same_file(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code ec_a, ec_b;
  const fs::path ca = fs::weakly_canonical(a, ec_a);
  const fs::path cb = fs::weakly_canonical(b, ec_b);
  if (!ec_a && !ec_b && ca == cb) return true;
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

int save_configuration_as(Configuration& configuration, const std::string& target) {
  const std::string current = configuration.configuration_path();
  if (same_file(target, current)) return kSameFileTextId;

  // Can the file be made there at all? A file made only to find out goes
  // again; one that was there stays until the copy replaces it.
  struct stat before {};
  const bool existed = ::stat(target.c_str(), &before) == 0;
  const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return kCannotOpenDestinationTextId;
  ::close(fd);
  if (!existed) ::unlink(target.c_str());

  if (copy_file_replacing(current, target) == 0) {
    configuration.set_configuration_path(target);
    return 0;
  }
  configuration.set_configuration_path(configuration.default_configuration_path());
  return kSaveAsFailedTextId;
}

int load_configuration_file(Configuration& configuration, const std::string& path) {
  configuration.save_last_folder();
  const int rc = configuration.load_configuration(path);
  configuration.read_switches();
  return rc;
}

}  // namespace orvadw
