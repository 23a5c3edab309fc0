#pragma once
// orvadw-sim as a child process for the modem tests: started with a link in
// a fresh temporary folder, its pty path read from its first output line,
// ended with SIGTERM and a bounded wait, its counts read from its standard
// error. Header-only so that the link and the window tests share it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace orvadw::test {

class ModemSimProcess {
 public:
  using Clock = std::chrono::steady_clock;

  ModemSimProcess() = default;
  ~ModemSimProcess() {
    if (pid_ > 0) stop();
    if (out_fd_ >= 0) ::close(out_fd_);
    if (!folder_.empty()) {
      ::unlink(link_.c_str());
      ::unlink(err_path_.c_str());
      ::rmdir(folder_.c_str());
    }
  }
  ModemSimProcess(const ModemSimProcess&) = delete;
  ModemSimProcess& operator=(const ModemSimProcess&) = delete;

  // The folder of the project's programs ($ORVADW_BIN_DIR, else this test's own).
  static std::string bin_dir() {
    if (const char* dir = std::getenv("ORVADW_BIN_DIR"); dir != nullptr && *dir != '\0') return dir;
    char self[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string path(self, n > 0 ? static_cast<std::size_t>(n) : 0);
    return path.substr(0, path.rfind('/'));
  }

  // Starts orvadw-sim with --link and these arguments; true once it has
  // printed its pty path.
  bool start(const std::vector<std::string>& args,
             std::chrono::milliseconds within = std::chrono::seconds(10)) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvadw-modem-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) return false;
    folder_ = pattern;
    link_ = folder_ + "/ttyMODEM";
    err_path_ = folder_ + "/stderr.txt";
    std::vector<std::string> argv{bin_dir() + "/orvadw-sim", "--link", link_};
    argv.insert(argv.end(), args.begin(), args.end());
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return false;
    std::vector<char*> raw;
    for (const std::string& a : argv) raw.push_back(const_cast<char*>(a.c_str()));
    raw.push_back(nullptr);
    const int err = ::open(err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (err < 0) return false;
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
      ::dup2(out[1], 1);
      ::dup2(err, 2);
      ::execv(raw[0], raw.data());
      ::_exit(127);
    }
    ::close(out[1]);
    ::close(err);
    out_fd_ = out[0];
    pid_ = pid;
    const auto deadline = Clock::now() + within;
    std::string line;
    while (line.find('\n') == std::string::npos) {
      pollfd p{out_fd_, POLLIN, 0};
      if (::poll(&p, 1, ms_left(deadline)) <= 0) return false;
      char buf[256];
      const ssize_t n = ::read(out_fd_, buf, sizeof buf);
      if (n <= 0) return false;  // ended before saying anything
      line.append(buf, static_cast<std::size_t>(n));
    }
    return line.find('\n') > 0;
  }

  // SIGTERM and a bounded wait; the exit code, or -1 when it had to be killed.
  int stop(std::chrono::milliseconds within = std::chrono::seconds(10)) {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + within;
    int status = 0;
    pid_t done = 0;
    while ((done = ::waitpid(pid_, &status, WNOHANG)) == 0 && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (done == 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      pid_ = -1;
      return -1;
    }
    pid_ = -1;
    return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  const std::string& link() const { return link_; }

  // The "name: value" lines the program printed at exit.
  std::map<std::string, long long> counts() const {
    std::map<std::string, long long> out;
    std::ifstream in(err_path_);
    std::string line;
    while (std::getline(in, line)) {
      const std::size_t colon = line.find(": ");
      if (colon == std::string::npos || colon == 0) continue;
      const std::string value = line.substr(colon + 2);
      if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) continue;
      out[line.substr(0, colon)] = std::stoll(value);
    }
    return out;
  }

 private:
  static int ms_left(Clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
  }

  pid_t pid_ = -1;
  int out_fd_ = -1;
  std::string folder_;
  std::string link_;
  std::string err_path_;
};

}  // namespace orvadw::test
