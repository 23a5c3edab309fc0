#pragma once
// Runs orvadw-sim as a child process for the pty tests: a link in a fresh
// temporary folder, the pty path read from its stdout, SIGTERM and a bounded
// wait at the end, its stderr kept for the counts. Also a plain termios port
// on that link, so the program is proven without the link's own classes.
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace orvadw::sim::test {

// The folder of the project's programs ($ORVADW_BIN_DIR, else this test's own).
std::string bin_dir();

class SimProcess {
 public:
  SimProcess() = default;
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Starts the program with --link <tmp>/ttySIM and these arguments; true
  // once it has printed its pty path (within the time given).
  bool start(const std::vector<std::string>& args,
             std::chrono::milliseconds within = std::chrono::seconds(10));
  // Runs the program to its end with these arguments (no link added): for
  // bad command lines. Returns the exit code, -1 when it did not end.
  int run_to_end(const std::vector<std::string>& args,
                 std::chrono::milliseconds within = std::chrono::seconds(10));

  // SIGTERM, then waits for the exit. Returns the exit code, or -1 when it
  // did not end in time (it is then killed).
  int stop(std::chrono::milliseconds within = std::chrono::seconds(10));

  const std::string& link() const { return link_; }
  const std::string& folder() const { return folder_; }
  const std::string& pty_path() const { return pty_path_; }
  const std::string& stderr_text() const { return stderr_text_; }
  // "name: value" lines of the stderr text.
  std::map<std::string, long long> counts() const;

 private:
  bool spawn(const std::vector<std::string>& argv);
  int wait_exit(std::chrono::milliseconds within);
  void collect_stderr(std::chrono::steady_clock::time_point deadline);

  pid_t pid_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  std::string folder_;
  std::string link_;
  std::string pty_path_;
  std::string stderr_text_;
};

// A raw 8N1 termios port on a path, non-blocking, with bounded reads.
class RawPort {
 public:
  explicit RawPort(const std::string& path);
  ~RawPort();
  RawPort(const RawPort&) = delete;
  RawPort& operator=(const RawPort&) = delete;

  bool is_open() const { return fd_ >= 0; }
  bool write_all(const std::vector<std::uint8_t>& bytes);
  bool write_text(const std::string& text);
  // Reads until n bytes came or the time is up.
  std::vector<std::uint8_t> read_exactly(std::size_t n, std::chrono::milliseconds within);
  // Reads until the line stays quiet for `quiet` (or `within` is up).
  std::vector<std::uint8_t> read_until_quiet(std::chrono::milliseconds quiet,
                                             std::chrono::milliseconds within);
  // Reads until the text has come (true) or the time is up; all text read is
  // appended to seen.
  bool read_until_text(const std::string& text, std::chrono::milliseconds within,
                       std::string& seen);
  void close();

 private:
  int fd_ = -1;
};

}  // namespace orvadw::sim::test
