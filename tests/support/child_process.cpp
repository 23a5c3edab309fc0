#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "tests/support/deadline.h"

extern char** environ;

namespace orvadw::test {

namespace {

using Clock = ChildProcess::Clock;

// Appends what the pipe holds; closes it at its end.
void drain(short revents, int& fd, std::string& text) {
  if (fd < 0 || (revents & (POLLIN | POLLHUP | POLLERR)) == 0) return;
  char buf[4096];
  const ssize_t n = ::read(fd, buf, sizeof buf);
  if (n > 0) {
    text.append(buf, static_cast<std::size_t>(n));
  } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
    ::close(fd);
    fd = -1;
  }
}

}  // namespace

ChildProcess::~ChildProcess() {
  kill_and_reap();
  close_pipes();
}

void ChildProcess::close_pipes() {
  if (out_fd_ >= 0) ::close(out_fd_);
  if (err_fd_ >= 0) ::close(err_fd_);
  out_fd_ = -1;
  err_fd_ = -1;
}

void ChildProcess::kill_and_reap() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

bool ChildProcess::start(const std::vector<std::string>& argv, const std::string& err_file) {
  if (running() || argv.empty()) {
    error_ = running() ? "already running" : "no program given";
    return false;
  }
  close_pipes();
  out_text_.clear();
  err_text_.clear();
  error_.clear();

  int out[2] = {-1, -1};
  int err[2] = {-1, -1};
  if (::pipe2(out, O_CLOEXEC) != 0 || (err_file.empty() && ::pipe2(err, O_CLOEXEC) != 0)) {
    error_ = std::string("pipe: ") + std::strerror(errno);
    for (int fd : {out[0], out[1]}) {
      if (fd >= 0) ::close(fd);
    }
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  if (err_file.empty()) {
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  } else {
    posix_spawn_file_actions_addopen(&actions, 2, err_file.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0600);
  }
  std::vector<std::string> words = argv;
  std::vector<char*> raw;
  for (std::string& w : words) raw.push_back(w.data());
  raw.push_back(nullptr);
  const int rc = ::posix_spawn(&pid_, raw[0], &actions, nullptr, raw.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (err[1] >= 0) ::close(err[1]);
  out_fd_ = out[0];
  err_fd_ = err[0];
  if (rc != 0) {
    pid_ = -1;
    close_pipes();
    error_ = "cannot start " + argv[0] + ": " + std::strerror(rc);
    return false;
  }
  for (int fd : {out_fd_, err_fd_}) {
    if (fd >= 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  }
  return true;
}

void ChildProcess::read_until(Clock::time_point deadline, const std::function<bool()>& done) {
  while (!done() && (out_fd_ >= 0 || err_fd_ >= 0)) {
    pollfd fds[2] = {{out_fd_, POLLIN, 0}, {err_fd_, POLLIN, 0}};
    const int ready = ::poll(fds, 2, ms_left(deadline));
    if (ready == 0) return;
    if (ready < 0) {
      if (errno == EINTR) continue;
      return;
    }
    drain(fds[0].revents, out_fd_, out_text_);
    drain(fds[1].revents, err_fd_, err_text_);
  }
}

bool ChildProcess::read_first_line(Clock::time_point deadline, std::string& line) {
  const auto has_line = [this] { return out_text_.find('\n') != std::string::npos; };
  read_until(deadline, has_line);
  if (!has_line()) return false;
  line = out_text_.substr(0, out_text_.find('\n'));
  return true;
}

int ChildProcess::wait(Clock::time_point deadline) {
  if (pid_ <= 0) return -1;
  read_until(deadline, [] { return false; });
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_) break;
    if (done < 0 && errno != EINTR) {
      pid_ = -1;
      return -1;
    }
    if (Clock::now() >= deadline) {
      kill_and_reap();
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  pid_ = -1;
  // Whatever the child wrote last but the pipes still hold.
  read_until(Clock::now(), [] { return false; });
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ChildProcess::send_signal(int signal_number) {
  if (pid_ <= 0) return false;
  return ::kill(pid_, signal_number) == 0;
}

int ChildProcess::stop(Clock::time_point deadline) {
  if (pid_ <= 0) return -1;
  ::kill(pid_, SIGTERM);
  return wait(deadline);
}

}  // namespace orvadw::test
