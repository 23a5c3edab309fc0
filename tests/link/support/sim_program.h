#pragma once
// orvadw-sim as a child process: started with --link in a fresh temporary
// folder, ready once it has printed its pty path and the link exists, ended
// with SIGTERM and a bounded wait (SIGKILL only if it does not end).
#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace orvadw::test {

class SimProgram {
 public:
  SimProgram() = default;
  ~SimProgram();
  SimProgram(const SimProgram&) = delete;
  SimProgram& operator=(const SimProgram&) = delete;

  // True once the program runs and its link is there (within the time).
  bool start(const std::vector<std::string>& args,
             std::chrono::milliseconds within = std::chrono::seconds(10));
  // SIGTERM and wait: the exit code, or -1 when it had to be killed.
  int stop(std::chrono::milliseconds within = std::chrono::seconds(10));
  bool running() const { return pid_ > 0; }

  const std::string& link() const { return link_; }
  const std::string& error() const { return error_; }
  // The "name: value" lines it printed at exit.
  std::map<std::string, long long> counts() const;

 private:
  pid_t pid_ = -1;
  std::string folder_;
  std::string link_;
  std::string err_path_;
  std::string error_;
};

}  // namespace orvadw::test
