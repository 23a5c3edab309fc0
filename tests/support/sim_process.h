#pragma once
// orvadw-sim run as a program for the tests that need a real pseudo-terminal:
// its link made in a fresh temporary folder, ready once it has printed its
// pty path and the link is there, ended with SIGTERM and a bounded wait
// (SIGKILL only when it does not end), its standard error kept in a file of
// that folder for the "name: value" counts it prints at exit.
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace orvadw::test {

class SimProcess {
 public:
  SimProcess() = default;
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Starts the program with --link <folder>/ttySIM and these arguments; true
  // once it serves (within the time given). On false, error() says why and
  // the program is not left running.
  bool start(const std::vector<std::string>& args,
             std::chrono::milliseconds within = std::chrono::seconds(10));
  // Starts the program again after stop(), on the same link in the same
  // folder: an instrument that went away and came back.
  bool restart(const std::vector<std::string>& args,
               std::chrono::milliseconds within = std::chrono::seconds(10));
  // Runs the program with these arguments only (no link added) to its end:
  // for bad command lines. The exit code, -1 when it did not end in time.
  int run_to_end(const std::vector<std::string>& args,
                 std::chrono::milliseconds within = std::chrono::seconds(10));
  // SIGTERM, then waits for the exit. The exit code, or -1 when it did not
  // end in time (it is then killed) or was not running.
  int stop(std::chrono::milliseconds within = std::chrono::seconds(10));
  bool running() const { return child_.running(); }

  const std::string& folder() const { return folder_; }
  const std::string& link() const { return link_; }
  const std::string& pty_path() const { return pty_path_; }
  const std::string& error() const { return error_; }
  // What it has written to its standard error so far.
  std::string stderr_text() const;
  // Its "name: value" lines with whole numbers.
  std::map<std::string, long long> counts() const;

 private:
  bool prepare();
  bool launch(const std::vector<std::string>& args, std::chrono::milliseconds within);

  std::unique_ptr<TempDir> dir_;
  ChildProcess child_;
  std::string folder_;
  std::string link_;
  std::string err_path_;
  std::string pty_path_;
  std::string error_;
};

}  // namespace orvadw::test
