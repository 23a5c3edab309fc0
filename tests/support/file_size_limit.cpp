#include "tests/support/file_size_limit.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace orvadw::test {

ChildEnd run_with_file_size_limit(off_t limit_bytes, AtFileSizeLimit at_limit,
                                  const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid < 0) return {};
  if (pid == 0) {
    ::signal(SIGXFSZ, at_limit == AtFileSizeLimit::kWriteFails ? SIG_IGN : SIG_DFL);
    const rlimit limit{static_cast<rlim_t>(limit_bytes), static_cast<rlim_t>(limit_bytes)};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(254);
    int rc = 255;
    try {
      rc = body();
    } catch (...) {
    }
    // No atexit handlers, no test framework teardown in the child.
    ::_exit(rc & 0xFF);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) return {};
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return {};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ChildEnd end;
  if (WIFEXITED(status)) end.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
  return end;
}

}  // namespace orvadw::test
