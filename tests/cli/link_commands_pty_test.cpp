// orvadw-cli against orvadw-sim, both as programs, over a real
// pseudo-terminal: the commands work through the termios driver, the
// simulator counts exactly the requests the commands should have made, and
// bench prints its lines in the order the benchmark driver reads them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "support/cli_run.h"
#include "tests/support/bin_dir.h"
#include "tests/support/child_process.h"
#include "tests/support/sim_process.h"
#include "tests/support/text_lines.h"

namespace {

using orvadw::test::ChildProcess;
using orvadw::test::CliRun;
using orvadw::test::lines_of;
using orvadw::test::program_path;
using orvadw::test::SimProcess;
using Clock = ChildProcess::Clock;
using namespace std::chrono_literals;

class LinkCommandsPtyTest : public ::testing::Test {
 protected:
  void TearDown() override { stop_sim(); }

  // SIGTERM; the counts it prints on the way out, "name: value" a line.
  std::map<std::string, long long> stop_sim() {
    if (!sim_.running()) return {};
    EXPECT_EQ(sim_.stop(), 0) << sim_.stderr_text();
    return sim_.counts();
  }

  CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--port", sim_.link()});
    return orvadw::test::run_cli_program(args);
  }

  SimProcess sim_;
};

TEST_F(LinkCommandsPtyTest, IdentifyReadWriteAndPoll) {
  ASSERT_TRUE(sim_.start({"--jbus", "3", "--firmware", "10-11-Q"})) << sim_.error();

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
  ASSERT_TRUE(sim_.start({})) << sim_.error();

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
  ASSERT_TRUE(sim_.start({"--baud", "9600"})) << sim_.error();
  const CliRun read = cli({"--baud-index", "5", "bench", "read", "--count", "3"});
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(lines_of(read.out).size(), 7u) << read.out;
  EXPECT_EQ(stop_sim().at("answered"), 3);
}

TEST_F(LinkCommandsPtyTest, MissingDeviceAndRefusedAddress) {
  ASSERT_TRUE(sim_.start({})) << sim_.error();
  const std::string missing = sim_.folder() + "/ttyNONE";
  ChildProcess child;
  ASSERT_TRUE(child.start({program_path("orvadw-cli"), "--port", missing, "identify"}))
      << child.error();
  const int status = child.wait(Clock::now() + 30s);
  EXPECT_EQ(status, 1);
  EXPECT_NE(child.err_text().find("error 253: the serial port could not be opened"),
            std::string::npos)
      << child.err_text();
  EXPECT_NE(child.err_text().find(missing), std::string::npos) << child.err_text();

  const CliRun refused = cli({"--timeout", "200", "read", "0xAB00", "2"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("error 152: "), std::string::npos) << refused.err;
  EXPECT_EQ(refused.out, "");
}

}  // namespace
