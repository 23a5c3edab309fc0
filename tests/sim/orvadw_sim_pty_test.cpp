// orvadw-sim as a program on a real pseudo-terminal, talked to with plain
// termios: the bytes on the line, the pacing, the faults, the modem front end,
// the counts and a clean exit.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "sim/crc16.h"
#include "support/raw_port.h"
#include "support/test_frames.h"
#include "tests/support/file_contents.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"

namespace orvadw::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using orvadw::test::path_exists;
using orvadw::test::SimProcess;
using test::Bytes;
using test::RawPort;
using test::read_request;

TEST(OrvadwSimPty, AnswersRequestsOnItsLink) {
  SimProcess sim;
  ASSERT_TRUE(sim.start({"--jbus", "7", "--firmware", "10-11-Z9", "--logger-entries", "3"}));
  EXPECT_EQ(sim.pty_path().rfind("/dev/pts/", 0), 0u) << sim.pty_path();
  char target[256] = {};
  ASSERT_GT(::readlink(sim.link().c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(sim.pty_path(), target);

  RawPort port(sim.link());
  ASSERT_TRUE(port.is_open());
  ASSERT_TRUE(port.write_all(read_request(7, 3, 0xFF00, 25)));
  const Bytes header = port.read_exactly(55, 5s);
  ASSERT_EQ(header.size(), 55u);
  EXPECT_EQ(test::slice(header, 0, 3), (Bytes{7, 3, 50}));
  EXPECT_EQ(header[3 + 1], 7);
  EXPECT_EQ(test::text_at(header, 3 + 10, 20), "10-11-Z9            ");
  EXPECT_TRUE(crc_matches(header.data(), header.size()));

  // Write, then read back.
  ASSERT_TRUE(port.write_all(test::write_request(7, 0x3003, {0x00, 0x0A, 0xEA, 0x60})));
  EXPECT_EQ(port.read_exactly(8, 5s), test::with_crc({7, 16, 0x30, 0x03, 0x00, 0x02}));
  ASSERT_TRUE(port.write_all(read_request(7, 3, 0x3003, 2)));
  EXPECT_EQ(port.read_exactly(9, 5s), test::with_crc({7, 3, 4, 0x00, 0x0A, 0xEA, 0x60}));

  // The logger, its end, an exception, and silence for another slave.
  ASSERT_TRUE(port.write_all(read_request(0, 4, 3, 1)));
  EXPECT_EQ(port.read_exactly(21, 5s), test::with_crc([] {
              Bytes b{7, 4, 16};
              b.resize(19, 0);
              return b;
            }()));
  ASSERT_TRUE(port.write_all(read_request(7, 3, 0x0600, 1)));
  EXPECT_EQ(port.read_exactly(5, 5s), test::with_crc({7, 0x83, 2}));
  ASSERT_TRUE(port.write_all(read_request(8, 3, 0xFF00, 1)));
  EXPECT_TRUE(port.read_until_quiet(300ms, 300ms).empty());

  port.close();
  ASSERT_EQ(sim.stop(), 0);
  EXPECT_FALSE(path_exists(sim.link()));
  const auto counts = sim.counts();
  EXPECT_EQ(counts.at("frames"), 6);
  EXPECT_EQ(counts.at("answered"), 5);
  EXPECT_EQ(counts.at("exceptions"), 1);
  EXPECT_EQ(counts.at("ignored"), 1);
  EXPECT_EQ(counts.at("writes"), 1);
  EXPECT_EQ(counts.at("dropped"), 0);
  for (const char* name : {"corrupted_bytes", "garbage", "wrong_slave", "late"}) {
    EXPECT_EQ(counts.count(name), 1u) << name;
  }
}

TEST(OrvadwSimPty, KeepsServingWhenTheClientComesBack) {
  SimProcess sim;
  ASSERT_TRUE(sim.start({}));
  for (int round = 0; round < 3; ++round) {
    RawPort port(sim.link());
    ASSERT_TRUE(port.is_open());
    ASSERT_TRUE(port.write_all(read_request(1, 3, 0x1000, 50)));
    const Bytes answer = port.read_exactly(105, 5s);
    ASSERT_EQ(answer.size(), 105u) << "round " << round;
    EXPECT_TRUE(crc_matches(answer.data(), answer.size()));
    EXPECT_EQ(test::slice(answer, 3 + 39, 2), (Bytes{0x21, 0x34}));
  }
  EXPECT_EQ(sim.stop(), 0);
  EXPECT_EQ(sim.counts().at("answered"), 3);
}

TEST(OrvadwSimPty, ServesEveryClientThatComesBackAtOnce) {
  // Each client reads its answer and leaves; the next one opens and asks at
  // once, before the simulator may have seen the last one go. Its request
  // must be answered, whatever the order the simulator learns of both.
  SimProcess sim;
  ASSERT_TRUE(sim.start({}));
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE(round);
    RawPort port(sim.link());
    ASSERT_TRUE(port.is_open());
    const int count = 1 + round % 5;
    ASSERT_TRUE(port.write_all(read_request(1, 3, 0xFF00, count)));
    const Bytes answer = port.read_exactly(5 + 2 * count, 5s);
    ASSERT_EQ(answer.size(), 5u + 2 * count);
    EXPECT_EQ(test::slice(answer, 0, 3), (Bytes{1, 3, static_cast<std::uint8_t>(2 * count)}));
    EXPECT_TRUE(crc_matches(answer.data(), answer.size()));
  }
  EXPECT_EQ(sim.stop(), 0);
  EXPECT_EQ(sim.counts().at("answered"), 30);
}

TEST(OrvadwSimPty, WithABaudRateItHearsOnlyAClientAtThatSpeed) {
  SimProcess sim;
  ASSERT_TRUE(sim.start({"--baud", "1200", "--jbus", "17"}));
  {
    RawPort fast(sim.link(), 9600);
    ASSERT_TRUE(fast.write_all(read_request(0, 3, 0xFF00, 1)));
    EXPECT_TRUE(fast.read_until_quiet(400ms, 400ms).empty());
  }
  RawPort right(sim.link(), 1200);
  ASSERT_TRUE(right.write_all(read_request(0, 3, 0xFF00, 1)));
  const Bytes answer = right.read_exactly(7, 5s);
  ASSERT_EQ(answer.size(), 7u);
  EXPECT_EQ(answer[0], 17);  // slave 0 reached it; it answers with its own number
  EXPECT_EQ(sim.stop(), 0);
  EXPECT_EQ(sim.counts().at("wrong_speed_bytes"), 8);
  EXPECT_EQ(sim.counts().at("answered"), 1);

  // A speed no client can set is refused.
  SimProcess odd;
  EXPECT_EQ(odd.run_to_end({"--baud", "1000"}), 2);
}

TEST(OrvadwSimPty, NoiseFromTheClientDoesNotWedgeIt) {
  SimProcess sim;
  ASSERT_TRUE(sim.start({}));
  RawPort port(sim.link());
  ASSERT_TRUE(port.is_open());
  Bytes noise;
  for (int i = 0; i < 300; ++i) noise.push_back(static_cast<std::uint8_t>(i * 37 + 11));
  ASSERT_TRUE(port.write_all(noise));
  port.read_until_quiet(200ms, 2s);  // whatever the noise may have asked for
  ASSERT_TRUE(port.write_all(read_request(1, 3, 0xFF00, 1)));
  const Bytes answer = port.read_exactly(7, 5s);
  ASSERT_EQ(answer.size(), 7u);
  EXPECT_TRUE(crc_matches(answer.data(), answer.size()));

  // A request cut short, then after a pause a whole one.
  const Bytes whole = read_request(1, 3, 0x2301, 3);
  ASSERT_TRUE(port.write_all(Bytes(whole.begin(), whole.begin() + 5)));
  EXPECT_TRUE(port.read_until_quiet(150ms, 150ms).empty());
  ASSERT_TRUE(port.write_all(whole));
  EXPECT_EQ(port.read_exactly(11, 5s).size(), 11u);
  EXPECT_EQ(sim.stop(), 0);
  EXPECT_GE(sim.counts().at("discarded_bytes"), 5);
}

TEST(OrvadwSimPty, PacedLineTakesItsWireTime) {
  SimProcess sim;
  ASSERT_TRUE(sim.start({"--baud", "9600"}));
  RawPort port(sim.link());
  ASSERT_TRUE(port.is_open());
  // 8 bytes out and 53 back: 61 characters of 10 bits at 9600 baud, 63.5 ms.
  const auto start = Clock::now();
  ASSERT_TRUE(port.write_all(read_request(1, 3, 0x100, 24)));
  const Bytes answer = port.read_exactly(53, 5s);
  const auto took = Clock::now() - start;
  ASSERT_EQ(answer.size(), 53u);
  EXPECT_TRUE(crc_matches(answer.data(), answer.size()));
  EXPECT_GE(took, 60ms);

  // A slower line takes longer still: 16 characters at 1200 baud is 133 ms.
  SimProcess slow;
  ASSERT_TRUE(slow.start({"--baud", "1200"}));
  RawPort slow_port(slow.link(), 1200);
  const auto slow_start = Clock::now();
  ASSERT_TRUE(slow_port.write_all(read_request(1, 3, 0x3000, 1)));  // 8 + 7 bytes
  EXPECT_EQ(slow_port.read_exactly(7, 5s).size(), 7u);
  EXPECT_GE(Clock::now() - slow_start, 120ms);
  EXPECT_EQ(sim.stop(), 0);
  EXPECT_EQ(slow.stop(), 0);
}

TEST(OrvadwSimPty, FaultOptionsShapeTheAnswers) {
  const Bytes request = read_request(1, 3, 0xFF00, 5);  // a 15-byte answer
  {
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--drop", "1"}));
    RawPort port(sim.link());
    ASSERT_TRUE(port.write_all(request));
    EXPECT_TRUE(port.read_until_quiet(300ms, 300ms).empty());
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_EQ(sim.counts().at("dropped"), 1);
  }
  {
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--exception", "4"}));
    RawPort port(sim.link());
    ASSERT_TRUE(port.write_all(request));
    EXPECT_EQ(port.read_exactly(5, 5s), test::with_crc({1, 0x83, 4}));
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_EQ(sim.counts().at("exceptions"), 1);
  }
  {
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--wrong-slave=1", "--seed", "5"}));
    RawPort port(sim.link());
    ASSERT_TRUE(port.write_all(request));
    const Bytes a = port.read_exactly(15, 5s);
    ASSERT_EQ(a.size(), 15u);
    EXPECT_NE(a[0], 1);
    EXPECT_TRUE(crc_matches(a.data(), a.size()));
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_EQ(sim.counts().at("wrong_slave"), 1);
  }
  {
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--garbage", "1"}));
    RawPort port(sim.link());
    ASSERT_TRUE(port.write_all(request));
    const Bytes a = port.read_until_quiet(300ms, 5s);
    ASSERT_GE(a.size(), 16u);
    ASSERT_LE(a.size(), 23u);
    EXPECT_TRUE(crc_matches(a.data() + a.size() - 15, 15));
    EXPECT_EQ(sim.stop(), 0);
  }
  {
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--corrupt", "1"}));
    RawPort port(sim.link());
    ASSERT_TRUE(port.write_all(request));
    const Bytes a = port.read_exactly(15, 5s);
    ASSERT_EQ(a.size(), 15u);
    EXPECT_FALSE(crc_matches(a.data(), a.size()));
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_EQ(sim.counts().at("corrupted_bytes"), 15);
  }
  {
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--delay", "150", "--late", "1", "--late-ms", "100"}));
    RawPort port(sim.link());
    const auto start = Clock::now();
    ASSERT_TRUE(port.write_all(request));
    EXPECT_EQ(port.read_exactly(15, 5s).size(), 15u);
    EXPECT_GE(Clock::now() - start, 250ms);
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_EQ(sim.counts().at("late"), 1);
  }
}

TEST(OrvadwSimPty, BadCommandLinesAreRefused) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--jbus", "0"}, {"--jbus", "256"}, {"--drop", "1.5"},
        {"--baud", "fast"}, {"--logger-entries", "1001"}, {"--dial-answer", "HELLO"},
        {"--no-such-option"}, {"--seed"}}) {
    SimProcess sim;
    EXPECT_EQ(sim.run_to_end(args), 2) << args[0];
    EXPECT_NE(sim.stderr_text().find("usage"), std::string::npos);
  }
  SimProcess help;
  EXPECT_EQ(help.run_to_end({"--help"}), 0);

  // A file where the link should go is left alone.
  orvadw::test::TempDir folder("orvadw-sim-file");
  ASSERT_TRUE(folder.valid());
  const std::string file = folder.file("precious");
  { std::ofstream(file) << "keep me"; }
  SimProcess sim;
  EXPECT_EQ(sim.run_to_end({"--link", file}), 1);
  std::ifstream in(file);
  std::string content;
  std::getline(in, content);
  EXPECT_EQ(content, "keep me");
}

TEST(OrvadwSimPty, ModemDialsCarriesJBusAndHangsUp) {
  SimProcess sim;
  ASSERT_TRUE(sim.start({"--modem", "--dial-delay", "100", "--guard-ms", "300", "--jbus", "4"}));
  RawPort port(sim.link());
  ASSERT_TRUE(port.is_open());
  std::string seen;
  ASSERT_TRUE(port.write_text("AT\r"));
  EXPECT_TRUE(port.read_until_text("OK\r\n", 5s, seen)) << seen;
  seen.clear();
  ASSERT_TRUE(port.write_text("AT &F S95=0 E0 Q0 V1 W2 &K0 M0\r\n"));
  EXPECT_TRUE(port.read_until_text("OK\r\n", 5s, seen)) << seen;

  // Before the call, JBus goes nowhere.
  ASSERT_TRUE(port.write_all(read_request(4, 3, 0xFF00, 1)));
  EXPECT_TRUE(port.read_until_quiet(300ms, 300ms).empty());

  seen.clear();
  ASSERT_TRUE(port.write_text("ATDT0123\r\n"));
  EXPECT_TRUE(port.read_until_text("CONNECT", 5s, seen)) << seen;
  port.read_until_quiet(100ms, 1s);  // the rest of the result line
  ASSERT_TRUE(port.write_all(read_request(4, 3, 0xFF00, 1)));
  const Bytes answer = port.read_exactly(7, 5s);
  ASSERT_EQ(answer.size(), 7u);
  EXPECT_EQ(answer[0], 4);
  EXPECT_TRUE(crc_matches(answer.data(), answer.size()));

  // "+++" with the guard silence on both sides. The silence before it is
  // part of the protocol, not a wait for the program.
  std::this_thread::sleep_for(400ms);
  seen.clear();
  ASSERT_TRUE(port.write_text("+++"));
  EXPECT_TRUE(port.read_until_text("OK\r\n", 5s, seen)) << seen;
  seen.clear();
  ASSERT_TRUE(port.write_text("AT H0\r\n"));
  EXPECT_TRUE(port.read_until_text("OK\r\n", 5s, seen)) << seen;
  ASSERT_TRUE(port.write_all(read_request(4, 3, 0xFF00, 1)));
  EXPECT_TRUE(port.read_until_quiet(300ms, 300ms).empty());

  port.close();
  ASSERT_EQ(sim.stop(), 0);
  const auto counts = sim.counts();
  EXPECT_EQ(counts.at("modem_commands"), 4);
  EXPECT_EQ(counts.at("modem_dials"), 1);
  EXPECT_EQ(counts.at("modem_connects"), 1);
  EXPECT_EQ(counts.at("modem_escapes"), 1);
  EXPECT_EQ(counts.at("modem_hangups"), 1);
  EXPECT_EQ(counts.at("answered"), 1);
}

TEST(OrvadwSimPty, ModemReportsABusyLine) {
  SimProcess sim;
  ASSERT_TRUE(sim.start({"--modem", "--dial-answer", "BUSY", "--dial-delay", "50"}));
  RawPort port(sim.link());
  std::string seen;
  ASSERT_TRUE(port.write_text("ATDP555\r\n"));
  EXPECT_TRUE(port.read_until_text("BUSY\r\n", 5s, seen)) << seen;
  EXPECT_EQ(seen.find("CONNECT"), std::string::npos);
  ASSERT_TRUE(port.write_all(read_request(1, 3, 0xFF00, 1)));
  EXPECT_TRUE(port.read_until_quiet(300ms, 300ms).empty());
  port.close();
  EXPECT_EQ(sim.stop(), 0);
  EXPECT_EQ(sim.counts().at("modem_connects"), 0);
}

}  // namespace
}  // namespace orvadw::sim
