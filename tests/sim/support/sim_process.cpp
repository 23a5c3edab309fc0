#include "support/sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace orvadw::sim::test {

namespace {

using Clock = std::chrono::steady_clock;

int ms_left(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

void set_nonblocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

std::string bin_dir() {
  if (const char* dir = std::getenv("ORVADW_BIN_DIR"); dir != nullptr && *dir != '\0') return dir;
  char self[PATH_MAX] = {};
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  std::string path(self, n > 0 ? static_cast<std::size_t>(n) : 0);
  return path.substr(0, path.rfind('/'));
}

SimProcess::~SimProcess() {
  if (pid_ > 0) stop(std::chrono::seconds(5));
  if (out_fd_ >= 0) ::close(out_fd_);
  if (err_fd_ >= 0) ::close(err_fd_);
  if (!folder_.empty()) {
    ::unlink(link_.c_str());
    ::rmdir(folder_.c_str());
  }
}

bool SimProcess::spawn(const std::vector<std::string>& argv) {
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return false;
  if (::pipe2(err, O_CLOEXEC) != 0) {
    ::close(out[0]);
    ::close(out[1]);
    return false;
  }
  std::vector<char*> raw;
  for (const std::string& a : argv) raw.push_back(const_cast<char*>(a.c_str()));
  raw.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::execv(raw[0], raw.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  out_fd_ = out[0];
  err_fd_ = err[0];
  set_nonblocking(out_fd_);
  set_nonblocking(err_fd_);
  pid_ = pid;
  return true;
}

bool SimProcess::start(const std::vector<std::string>& args, std::chrono::milliseconds within) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvadw-sim-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return false;
  folder_ = pattern;
  link_ = folder_ + "/ttySIM";
  std::vector<std::string> argv{bin_dir() + "/orvadw-sim", "--link", link_};
  argv.insert(argv.end(), args.begin(), args.end());
  if (!spawn(argv)) return false;

  // The first stdout line is the pty path.
  const auto deadline = Clock::now() + within;
  std::string line;
  while (line.find('\n') == std::string::npos) {
    pollfd p{out_fd_, POLLIN, 0};
    if (::poll(&p, 1, ms_left(deadline)) <= 0) return false;
    char buf[256];
    const ssize_t n = ::read(out_fd_, buf, sizeof buf);
    if (n <= 0) return false;  // the program ended before saying anything
    line.append(buf, static_cast<std::size_t>(n));
  }
  pty_path_ = line.substr(0, line.find('\n'));
  return !pty_path_.empty();
}

int SimProcess::run_to_end(const std::vector<std::string>& args, std::chrono::milliseconds within) {
  std::vector<std::string> argv{bin_dir() + "/orvadw-sim"};
  argv.insert(argv.end(), args.begin(), args.end());
  if (!spawn(argv)) return -1;
  return wait_exit(within);
}

void SimProcess::collect_stderr(Clock::time_point deadline) {
  while (err_fd_ >= 0) {
    pollfd p{err_fd_, POLLIN, 0};
    if (::poll(&p, 1, ms_left(deadline)) <= 0) return;
    char buf[1024];
    const ssize_t n = ::read(err_fd_, buf, sizeof buf);
    if (n <= 0) return;
    stderr_text_.append(buf, static_cast<std::size_t>(n));
  }
}

int SimProcess::wait_exit(std::chrono::milliseconds within) {
  if (pid_ <= 0) return -1;
  const auto deadline = Clock::now() + within;
  // A pidfd becomes readable when the child ends: a wait without polling.
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
  if (pidfd >= 0) {
    pollfd p{pidfd, POLLIN, 0};
    ::poll(&p, 1, ms_left(deadline));
    ::close(pidfd);
  }
  int status = 0;
  pid_t done = ::waitpid(pid_, &status, WNOHANG);
  if (done == 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return -1;
  }
  pid_ = -1;
  collect_stderr(Clock::now() + std::chrono::seconds(2));
  if (done < 0 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

int SimProcess::stop(std::chrono::milliseconds within) {
  if (pid_ <= 0) return -1;
  ::kill(pid_, SIGTERM);
  return wait_exit(within);
}

std::map<std::string, long long> SimProcess::counts() const {
  std::map<std::string, long long> out;
  std::istringstream in(stderr_text_);
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

RawPort::RawPort(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) return;
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) {
    close();
    return;
  }
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  ::cfsetspeed(&tio, B9600);
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) close();
}

RawPort::~RawPort() { close(); }

void RawPort::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool RawPort::write_all(const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd p{fd_, POLLOUT, 0};
    if (::poll(&p, 1, ms_left(deadline)) <= 0) return false;
  }
  return true;
}

bool RawPort::write_text(const std::string& text) {
  return write_all(std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::vector<std::uint8_t> RawPort::read_exactly(std::size_t n, std::chrono::milliseconds within) {
  std::vector<std::uint8_t> out;
  const auto deadline = Clock::now() + within;
  while (out.size() < n) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, ms_left(deadline)) <= 0) break;
    std::uint8_t buf[512];
    const ssize_t got = ::read(fd_, buf, std::min(sizeof buf, n - out.size()));
    if (got <= 0) {
      if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      break;
    }
    out.insert(out.end(), buf, buf + got);
  }
  return out;
}

std::vector<std::uint8_t> RawPort::read_until_quiet(std::chrono::milliseconds quiet,
                                                    std::chrono::milliseconds within) {
  std::vector<std::uint8_t> out;
  const auto deadline = Clock::now() + within;
  for (;;) {
    pollfd p{fd_, POLLIN, 0};
    const int wait = std::min(static_cast<int>(quiet.count()), ms_left(deadline));
    if (::poll(&p, 1, wait) <= 0) break;
    std::uint8_t buf[512];
    const ssize_t got = ::read(fd_, buf, sizeof buf);
    if (got <= 0) {
      if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      break;
    }
    out.insert(out.end(), buf, buf + got);
  }
  return out;
}

bool RawPort::read_until_text(const std::string& text, std::chrono::milliseconds within,
                              std::string& seen) {
  const auto deadline = Clock::now() + within;
  while (seen.find(text) == std::string::npos) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, ms_left(deadline)) <= 0) return false;
    char buf[256];
    const ssize_t got = ::read(fd_, buf, sizeof buf);
    if (got <= 0) {
      if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      return false;
    }
    seen.append(buf, static_cast<std::size_t>(got));
  }
  return true;
}

}  // namespace orvadw::sim::test
