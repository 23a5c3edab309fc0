#include "tests/support/bin_dir.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace orvadw::test {

std::string bin_dir() {
  if (const char* dir = std::getenv("ORVADW_BIN_DIR"); dir != nullptr && *dir != '\0') return dir;
  char self[PATH_MAX] = {};
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  const std::string path(self, n > 0 ? static_cast<std::size_t>(n) : 0);
  return path.substr(0, path.rfind('/'));
}

std::string program_path(const std::string& name) {
  return bin_dir() + "/" + name;
}

}  // namespace orvadw::test
