#include "tests/support/stand_in_program.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "tests/support/file_contents.h"
#include "tests/support/text_lines.h"

namespace orvadw::test {

StandInProgram::StandInProgram(const std::string& folder, const std::string& name,
                               const std::string& watched)
    : path_(folder + "/" + name), calls_(folder + "/calls") {
  ::mkdir(folder.c_str(), 0755);
  // Written whole, then renamed: a reader never sees half of it.
  const std::string script = "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; if [ -e '" +
                             watched +
                             "' ]; then echo watched-there; else echo watched-gone; fi; } > '" +
                             calls_ + ".part'\nmv '" + calls_ + ".part' '" + calls_ + "'\n";
  write_file(path_, script);
  ::chmod(path_.c_str(), 0755);
}

std::vector<std::string> StandInProgram::calls() const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!path_exists(calls_) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return lines_of(read_file(calls_));
}

}  // namespace orvadw::test
