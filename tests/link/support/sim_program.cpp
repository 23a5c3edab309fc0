#include "support/sim_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <thread>

extern char** environ;

namespace orvadw::test {

namespace {

using Clock = std::chrono::steady_clock;

std::string program_path() {
  const char* dir = std::getenv("ORVADW_BIN_DIR");
  std::string base = dir != nullptr ? dir : "";
  if (base.empty()) {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
      self[n] = '\0';
      base = self;
      base = base.substr(0, base.rfind('/'));
    }
  }
  return base + "/orvadw-sim";
}

}  // namespace

SimProgram::~SimProgram() {
  if (pid_ > 0) stop();
  if (!folder_.empty()) {
    ::unlink(link_.c_str());
    ::unlink(err_path_.c_str());
    ::rmdir(folder_.c_str());
  }
}

bool SimProgram::start(const std::vector<std::string>& args, std::chrono::milliseconds within) {
  char folder[] = "/tmp/orvadw_link_sim_XXXXXX";
  if (::mkdtemp(folder) == nullptr) {
    error_ = "no temporary folder";
    return false;
  }
  folder_ = folder;
  link_ = folder_ + "/ttySIM";
  err_path_ = folder_ + "/stderr.txt";
  const std::string program = program_path();
  if (::access(program.c_str(), X_OK) != 0) {
    error_ = "orvadw-sim not found at " + program;
    return false;
  }

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> argv_text{program, "--link", link_};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int rc = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (rc != 0) {
    pid_ = -1;
    ::close(out[0]);
    error_ = "cannot start orvadw-sim";
    return false;
  }

  // Ready when it has printed its pty path and the link exists.
  const auto deadline = Clock::now() + within;
  std::string line;
  bool printed = false;
  while (!printed && Clock::now() < deadline) {
    pollfd p{out[0], POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    char c;
    const ssize_t n = ::read(out[0], &c, 1);
    if (n <= 0) break;
    if (c == '\n') {
      printed = true;
    } else {
      line += c;
    }
  }
  ::close(out[0]);
  struct stat st {};
  while (printed && ::lstat(link_.c_str(), &st) != 0 && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!printed || ::lstat(link_.c_str(), &st) != 0) {
    error_ = "orvadw-sim did not come up";
    stop();
    return false;
  }
  return true;
}

int SimProgram::stop(std::chrono::milliseconds within) {
  if (pid_ <= 0) return -1;
  ::kill(pid_, SIGTERM);
  const auto deadline = Clock::now() + within;
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_) break;
    if (Clock::now() >= deadline) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      pid_ = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::map<std::string, long long> SimProgram::counts() const {
  std::map<std::string, long long> out;
  std::ifstream in(err_path_);
  std::string line;
  while (std::getline(in, line)) {
    const auto colon = line.find(": ");
    if (colon == std::string::npos) continue;
    char* end = nullptr;
    const long long value = std::strtoll(line.c_str() + colon + 2, &end, 10);
    if (end != nullptr && *end == '\0') out[line.substr(0, colon)] = value;
  }
  return out;
}

}  // namespace orvadw::test
