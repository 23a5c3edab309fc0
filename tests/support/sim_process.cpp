#include "tests/support/sim_process.h"

#include <sstream>
#include <thread>

#include "tests/support/bin_dir.h"
#include "tests/support/file_contents.h"

namespace orvadw::test {

namespace {

using Clock = ChildProcess::Clock;

}  // namespace

SimProcess::~SimProcess() {
  if (running()) stop(std::chrono::seconds(5));
}

bool SimProcess::prepare() {
  if (running()) {
    error_ = "orvadw-sim is already running";
    return false;
  }
  error_.clear();
  pty_path_.clear();
  dir_ = std::make_unique<TempDir>("orvadw-sim-test");
  if (!dir_->valid()) {
    error_ = "no temporary folder";
    return false;
  }
  folder_ = dir_->path();
  link_ = dir_->file("ttySIM");
  err_path_ = dir_->file("stderr.txt");
  return true;
}

bool SimProcess::start(const std::vector<std::string>& args, std::chrono::milliseconds within) {
  if (!prepare()) return false;
  return launch(args, within);
}

bool SimProcess::restart(const std::vector<std::string>& args, std::chrono::milliseconds within) {
  if (running() || !dir_) {
    error_ = running() ? "orvadw-sim is already running" : "orvadw-sim was never started";
    return false;
  }
  error_.clear();
  pty_path_.clear();
  return launch(args, within);
}

bool SimProcess::launch(const std::vector<std::string>& args, std::chrono::milliseconds within) {
  std::vector<std::string> argv{program_path("orvadw-sim"), "--link", link_};
  argv.insert(argv.end(), args.begin(), args.end());
  if (!child_.start(argv, err_path_)) {
    error_ = child_.error();
    return false;
  }
  // The first stdout line is the pty path; the link is made before it.
  const auto deadline = Clock::now() + within;
  if (!child_.read_first_line(deadline, pty_path_) || pty_path_.empty()) {
    child_.stop(Clock::now() + std::chrono::seconds(5));
    error_ = "orvadw-sim did not come up: " + stderr_text();
    return false;
  }
  while (!path_exists(link_) && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!path_exists(link_)) {
    child_.stop(Clock::now() + std::chrono::seconds(5));
    error_ = "orvadw-sim made no link at " + link_;
    return false;
  }
  return true;
}

int SimProcess::run_to_end(const std::vector<std::string>& args, std::chrono::milliseconds within) {
  if (!prepare()) return -1;
  std::vector<std::string> argv{program_path("orvadw-sim")};
  argv.insert(argv.end(), args.begin(), args.end());
  if (!child_.start(argv, err_path_)) {
    error_ = child_.error();
    return -1;
  }
  return child_.wait(Clock::now() + within);
}

int SimProcess::stop(std::chrono::milliseconds within) {
  return child_.stop(Clock::now() + within);
}

std::string SimProcess::stderr_text() const {
  return err_path_.empty() ? std::string() : read_file(err_path_);
}

std::map<std::string, long long> SimProcess::counts() const {
  std::map<std::string, long long> out;
  std::istringstream in(stderr_text());
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

}  // namespace orvadw::test
