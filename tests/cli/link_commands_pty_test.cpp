// orvadw-cli against orvadw-sim, both as programs, over a real
// pseudo-terminal: the commands work through the termios driver, the
// simulator counts exactly the requests the commands should have made, and
// bench prints its lines in the order the benchmark driver reads them.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string bin_dir() {
  if (const char* dir = std::getenv("ORVADW_BIN_DIR"); dir != nullptr && *dir != '\0') return dir;
  char self[PATH_MAX] = {};
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  const std::string path(self, n > 0 ? static_cast<std::size_t>(n) : 0);
  return path.substr(0, path.rfind('/'));
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int ms_left(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

// A child process with its stdout and stderr on pipes.
class Child {
 public:
  ~Child() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
  }

  bool spawn(const std::vector<std::string>& argv) {
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return false;
    if (::pipe2(err, O_CLOEXEC) != 0) return false;
    std::vector<char*> raw;
    for (const std::string& a : argv) raw.push_back(const_cast<char*>(a.c_str()));
    raw.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      ::dup2(err[1], 2);
      ::execv(raw[0], raw.data());
      ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
    return true;
  }

  // Reads both pipes until `done` holds, both have ended, or the deadline.
  template <typename Done>
  void read_until(Clock::time_point deadline, Done done) {
    while (!done() && (out_ >= 0 || err_ >= 0)) {
      pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
      const int ready = ::poll(fds, 2, ms_left(deadline));
      if (ready == 0) return;
      if (ready < 0) {
        if (errno == EINTR) continue;
        return;
      }
      drain(fds[0], out_, out_text);
      drain(fds[1], err_, err_text);
    }
  }

  // Waits for the exit; kills the child at the deadline. The exit status, or
  // -1 when it had to be killed or died by a signal.
  int wait(Clock::time_point deadline) {
    read_until(deadline, [] { return false; });
    int status = 0;
    for (;;) {
      const pid_t r = ::waitpid(pid_, &status, WNOHANG);
      if (r == pid_) break;
      if (Clock::now() >= deadline) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return -1;
      }
      ::poll(nullptr, 0, 5);  // the pipes have ended: the exit is imminent
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void terminate() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
  }

  std::string out_text;
  std::string err_text;

 private:
  static void drain(const pollfd& p, int& fd, std::string& text) {
    if (fd < 0 || (p.revents & (POLLIN | POLLHUP | POLLERR)) == 0) return;
    char buf[4096];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      text.append(buf, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      ::close(fd);
      fd = -1;
    }
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
};

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

class LinkCommandsPtyTest : public ::testing::Test {
 protected:
  void TearDown() override {
    stop_sim();
    if (!folder_.empty()) {
      ::unlink(link_.c_str());
      ::rmdir(folder_.c_str());
    }
  }

  // Starts orvadw-sim with a link in a fresh folder; true once it serves.
  bool start_sim(std::vector<std::string> args) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvadw-cli-pty-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) return false;
    folder_ = pattern;
    link_ = folder_ + "/ttyORVADW";
    args.insert(args.begin(), {bin_dir() + "/orvadw-sim", "--link", link_});
    if (!sim_.spawn(args)) return false;
    sim_.read_until(Clock::now() + 10s, [&] { return sim_.out_text.find('\n') != std::string::npos; });
    return sim_.out_text.find('\n') != std::string::npos;
  }

  // SIGTERM; the counts it prints on the way out, "name: value" a line.
  std::map<std::string, long long> stop_sim() {
    std::map<std::string, long long> counts;
    if (stopped_ || folder_.empty()) return counts;
    stopped_ = true;
    sim_.terminate();
    EXPECT_EQ(sim_.wait(Clock::now() + 10s), 0) << sim_.err_text;
    for (const std::string& line : lines_of(sim_.err_text)) {
      const auto colon = line.find(": ");
      if (colon != std::string::npos) counts[line.substr(0, colon)] = std::atoll(line.c_str() + colon + 2);
    }
    return counts;
  }

  CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), {bin_dir() + "/orvadw-cli", "--port", link_});
    Child child;
    if (!child.spawn(args)) return {-1, "", "spawn failed"};
    const int status = child.wait(Clock::now() + 60s);
    return {status, child.out_text, child.err_text};
  }

  Child sim_;
  bool stopped_ = false;
  std::string folder_;
  std::string link_;
};

TEST_F(LinkCommandsPtyTest, IdentifyReadWriteAndPoll) {
  ASSERT_TRUE(start_sim({"--jbus", "3", "--firmware", "10-11-Q"})) << sim_.err_text;

  const CliRun identify = cli({"--jbus", "3", "identify"});
  ASSERT_EQ(identify.status, 0) << identify.err;
  const std::vector<std::string> fields = lines_of(identify.out);
  ASSERT_EQ(fields.size(), 7u) << identify.out;
  EXPECT_EQ(fields[0], "jbus: 3");
  EXPECT_EQ(fields[5], "software version: 10-11-Q");

  const CliRun header = cli({"--jbus", "3", "read", "0xFF00", "25"});
  ASSERT_EQ(header.status, 0) << header.err;
  EXPECT_EQ(header.out.size(), 50u * 3);  // 50 bytes, the last one ends the line
  EXPECT_EQ(header.out.substr(0, 6), "00 03 ");

  const CliRun written = cli({"--jbus", "3", "write", "0x1008", "CAFE", "0102"});
  ASSERT_EQ(written.status, 0) << written.err;
  const CliRun back = cli({"--jbus", "3", "read", "0x1008", "2"});
  ASSERT_EQ(back.status, 0) << back.err;
  EXPECT_EQ(back.out, "CA FE 01 02\n");

  const CliRun polled = cli({"--jbus", "3", "poll", "0x100", "24", "--period", "20", "--times", "3"});
  ASSERT_EQ(polled.status, 0) << polled.err;
  const std::vector<std::string> answers = lines_of(polled.out);
  ASSERT_EQ(answers.size(), 3u) << polled.out;
  for (const std::string& line : answers) EXPECT_EQ(line.size(), 48u * 3 - 1) << line;

  // One request per transaction, none refused: 4 single reads and writes, 3 polls.
  const auto counts = stop_sim();
  EXPECT_EQ(counts.at("frames"), 7);
  EXPECT_EQ(counts.at("answered"), 7);
  EXPECT_EQ(counts.at("exceptions"), 0);
}

TEST_F(LinkCommandsPtyTest, BenchLinesComeInOrderAndWritesFollowThePattern) {
  ASSERT_TRUE(start_sim({})) << sim_.err_text;

  const CliRun read = cli({"bench", "read", "--count", "5"});
  ASSERT_EQ(read.status, 0) << read.err;
  const std::vector<std::string> lines = lines_of(read.out);
  ASSERT_EQ(lines.size(), 11u) << read.out;
  for (int i = 0; i < 5; ++i) {
    int index = -1, ok = -1;
    long long ns = -1;
    ASSERT_EQ(std::sscanf(lines[i].c_str(), "TX %d %d %lld", &index, &ok, &ns), 3) << lines[i];
    EXPECT_EQ(index, i);
    EXPECT_EQ(ok, 1);
    EXPECT_GT(ns, 0);
    const std::string prefix = "DATA " + std::to_string(i) + " ";
    ASSERT_EQ(lines[5 + i].rfind(prefix, 0), 0u) << lines[5 + i];
    EXPECT_EQ(lines[5 + i].size(), prefix.size() + 48 * 3 - 1);  // 24 registers
  }
  long long n = 0, wall = 0, user = -1, sys = -1;
  ASSERT_EQ(std::sscanf(lines[10].c_str(), "LOOP %lld %lld %lld %lld", &n, &wall, &user, &sys), 4)
      << lines[10];
  EXPECT_EQ(n, 5);
  EXPECT_GT(wall, 0);
  EXPECT_GE(user + sys, 0);

  // The last of 3 writes of 50 registers leaves 2*50+k+1 in register 0x1000+k.
  const CliRun write = cli({"bench", "write", "--count", "3"});
  ASSERT_EQ(write.status, 0) << write.err;
  EXPECT_EQ(lines_of(write.out).size(), 4u) << write.out;
  const CliRun back = cli({"read", "0x1000", "50"});
  ASSERT_EQ(back.status, 0) << back.err;
  std::string expected;
  char buf[8];
  for (int k = 0; k < 50; ++k) {
    std::snprintf(buf, sizeof buf, "%s%02X %02X", k ? " " : "", (101 + k) >> 8, (101 + k) & 0xFF);
    expected += buf;
  }
  EXPECT_EQ(back.out, expected + "\n");

  const auto counts = stop_sim();
  EXPECT_EQ(counts.at("frames"), 5 + 3 + 1);
  EXPECT_EQ(counts.at("writes"), 3);
}

TEST_F(LinkCommandsPtyTest, PacedLineAtNineThousandSixHundredBaud) {
  ASSERT_TRUE(start_sim({"--baud", "9600"})) << sim_.err_text;
  const CliRun read = cli({"--baud-index", "5", "bench", "read", "--count", "3"});
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(lines_of(read.out).size(), 7u) << read.out;
  EXPECT_EQ(stop_sim().at("answered"), 3);
}

TEST_F(LinkCommandsPtyTest, MissingDeviceAndRefusedAddress) {
  ASSERT_TRUE(start_sim({})) << sim_.err_text;
  const std::string missing = folder_ + "/ttyNONE";
  Child child;
  ASSERT_TRUE(child.spawn({bin_dir() + "/orvadw-cli", "--port", missing, "identify"}));
  const int status = child.wait(Clock::now() + 30s);
  EXPECT_EQ(status, 1);
  EXPECT_NE(child.err_text.find("error 253: the serial port could not be opened"), std::string::npos)
      << child.err_text;
  EXPECT_NE(child.err_text.find(missing), std::string::npos) << child.err_text;

  const CliRun refused = cli({"--timeout", "200", "read", "0xAB00", "2"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("error 152: "), std::string::npos) << refused.err;
  EXPECT_EQ(refused.out, "");
}

}  // namespace
