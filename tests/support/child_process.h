#pragma once
// A program run by a test: its standard output on a pipe, its standard
// error on a pipe or in a file, every wait bounded (a child that does not end
// in time is killed), and a child still running when the object goes is
// killed and reaped.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace orvadw::test {

class ChildProcess {
 public:
  using Clock = std::chrono::steady_clock;

  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts argv[0] (a path) with the other words as its arguments. Its
  // standard error goes to err_file when one is named (a chatty program then
  // never blocks on a pipe nobody reads), else to a pipe read with stdout.
  // False, with error(), when it cannot start.
  bool start(const std::vector<std::string>& argv, const std::string& err_file = {});

  // Reads the pipes until done() holds, both have ended, or the deadline.
  void read_until(Clock::time_point deadline, const std::function<bool()>& done);
  // Reads until a whole first line has come on stdout; false when the
  // output ended or the deadline passed first.
  bool read_first_line(Clock::time_point deadline, std::string& line);

  // Waits for the exit, reading the pipes meanwhile; a child still there at
  // the deadline is killed. The exit code; -1 when it was killed, ended by a
  // signal, or never ran.
  int wait(Clock::time_point deadline);
  // SIGTERM, then wait(deadline).
  int stop(Clock::time_point deadline);
  // Sends a signal (SIGINT, SIGKILL...) without waiting; false when the
  // child is not running.
  bool send_signal(int signal_number);

  bool running() const { return pid_ > 0; }
  const std::string& out_text() const { return out_text_; }
  // What came on the stderr pipe (empty when stderr went to a file).
  const std::string& err_text() const { return err_text_; }
  const std::string& error() const { return error_; }

 private:
  void close_pipes();
  void kill_and_reap();

  pid_t pid_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  std::string out_text_;
  std::string err_text_;
  std::string error_;
};

}  // namespace orvadw::test
