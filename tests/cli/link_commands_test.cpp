// identify, read, write, poll and bench through run_cli against the
// in-process simulated instrument ("sim:" devices): the bytes printed are
// the instrument's own, writes land where they should, failures give the
// result code and its meaning, and bad command lines never reach the wire.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "link/port_map.h"
#include "sim/sim_bus.h"
#include "sim/simulated_instrument.h"
#include "support/instrument_cli_test.h"
#include "tests/support/file_contents.h"
#include "tests/support/hex_bytes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_lines.h"

namespace orvadw::cli {
namespace {

using Bytes = std::vector<std::uint8_t>;

using test::capture_cli;
using test::hex;
using test::lines_of;

Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class LinkCommandsTest : public test::InstrumentCliTest {
 protected:
  using Run = test::CliRun;
  LinkCommandsTest() : InstrumentCliTest("cli-") {}
};

TEST_F(LinkCommandsTest, ReadPrintsTheInstrumentsRegisterBytes) {
  const Run live = cli({"read", "0x100", "24"});
  ASSERT_EQ(live.status, 0) << live.err;
  EXPECT_EQ(live.out, hex(instrument_->registers(0x100, 24)) + "\n");

  // Decimal and hexadecimal addresses name the same registers; a read from
  // inside a block starts at the right byte.
  const Run params = cli({"read", "4098", "5"});
  ASSERT_EQ(params.status, 0) << params.err;
  EXPECT_EQ(params.out, hex(instrument_->registers(0x1002, 5)) + "\n");

  // Function 4 with 16 bytes an item: logger entries.
  const Run logger = cli({"read", "3", "2", "--function", "4", "--bytes-per-item", "16"});
  ASSERT_EQ(logger.status, 0) << logger.err;
  EXPECT_EQ(logger.out, hex(concat(instrument_->logger_entry(3), instrument_->logger_entry(4))) + "\n");
}

TEST_F(LinkCommandsTest, WriteLandsInTheRegistersAndReadsBack) {
  const Run written = cli({"write", "0x1004", "0102", "A0", "0xFFEE"});
  ASSERT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(instrument_->registers(0x1004, 3), (Bytes{0x01, 0x02, 0xA0, 0xFF, 0xEE, 0x00}));
  // An odd number of bytes: the last register gets a zero low byte.
  const Run odd = cli({"write", "0x1010", "11 22 33"});
  ASSERT_EQ(odd.status, 0) << odd.err;
  EXPECT_EQ(instrument_->registers(0x1010, 2), (Bytes{0x11, 0x22, 0x33, 0x00}));
  EXPECT_EQ(instrument_->counters().writes, 2u);

  const Run back = cli({"read", "0x1010", "2"});
  ASSERT_EQ(back.status, 0) << back.err;
  EXPECT_EQ(back.out, "11 22 33 00\n");
}

TEST_F(LinkCommandsTest, IdentifyDecodesTheHeaderFields) {
  sim::InstrumentOptions options;
  options.jbus = 7;
  attach(options);
  Bytes header = instrument_->registers(0xFF00, 25);
  ASSERT_EQ(header.size(), 50u);
  header[2] = 0x12, header[3] = 0x34;                                   // code
  header[4] = 42, header[5] = 24;                                       // week, year
  header[6] = 0, header[7] = 0, header[8] = 0xD4, header[9] = 0x31;     // serial 54321
  const std::string version = "10-11-Q             ";
  const std::string text = "Caf\xE9 line 2        ";                   // Windows-1252 e acute
  std::copy(version.begin(), version.end(), header.begin() + 10);
  std::copy(text.begin(), text.end(), header.begin() + 30);
  instrument_->set_registers(0xFF00, header);

  // Slave 0 reaches whichever instrument is connected.
  for (const std::string jbus : {"7", "0"}) {
    const Run run = cli({"identify"}, {"--jbus", jbus});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(lines_of(run.out),
              (std::vector<std::string>{"jbus: 7", "code: 4660", "serial week: 42", "serial year: 24",
                                        "serial number: 54321", "software version: 10-11-Q",
                                        "software text: Caf\xC3\xA9 line 2"}));
  }
}

TEST_F(LinkCommandsTest, PollPrintsOneLinePerAnswer) {
  const Run run = cli({"poll", "0x100", "24", "--period", "10", "--times", "3"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string line = hex(instrument_->registers(0x100, 24));
  EXPECT_EQ(lines_of(run.out), (std::vector<std::string>{line, line, line}));
  EXPECT_EQ(instrument_->counters().requests, 3u);
}

TEST_F(LinkCommandsTest, FailedPollGivesAnEmptyLineAndTheCode) {
  sim::FaultOptions faults;
  faults.drop = 1.0;
  sim::SimBus::set_faults(name_, faults);
  const Run run = cli({"poll", "0x100", "24", "--period", "0", "--times", "1"});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.out, "\n");
  EXPECT_NE(run.err.find("error 251: no answer"), std::string::npos) << run.err;
}

TEST_F(LinkCommandsTest, InstrumentRefusalsAndSilenceAreReportedWithTheirMeaning) {
  const Run bad_address = cli({"read", "0x9000", "4"});
  EXPECT_EQ(bad_address.status, 1);
  EXPECT_EQ(bad_address.out, "");
  EXPECT_NE(bad_address.err.find("error 152: the instrument answered with exception code 2"),
            std::string::npos)
      << bad_address.err;

  // Another slave number goes on the wire: this instrument stays silent.
  const Run other = cli({"read", "0x100", "1"}, {"--jbus", "9"});
  EXPECT_EQ(other.status, 1);
  EXPECT_NE(other.err.find("error 251: "), std::string::npos) << other.err;
  EXPECT_EQ(instrument_->counters().answered, 0u);
}

TEST_F(LinkCommandsTest, BadCommandLinesGiveUsageAndNeverReachTheWire) {
  const std::vector<std::vector<std::string>> bad = {
      {"read", "0x100"},
      {"read", "0x10000", "1"},
      {"read", "0x100", "0"},
      {"read", "0x100", "128"},  // 256 answer bytes cannot be counted in one byte
      {"read", "0", "1", "--function", "16"},
      {"read", "0", "2", "--bytes-per-item", "200"},
      {"read", "zz", "1"},
      {"write", "0x1000"},
      {"write", "0x1000", "ABC"},
      {"write", "0x1000", "GG"},
      {"write", "0x1000", std::string(2 * 247, 'A')},  // 124 registers do not fit a frame
      {"poll", "0x100", "24", "--times", "0"},
      {"poll", "0x100", "24", "--period"},
      {"bench", "read"},
      {"bench", "read", "--count", "1000001"},
      {"bench", "fetch", "--count", "1"},
      {"bench", "write", "--count", "1", "--registers", "124"},
      {"identify", "now"},
  };
  for (const auto& command : bad) {
    const Run run = cli(command);
    EXPECT_EQ(run.status, 2) << command[0] << " " << command.size();
    EXPECT_NE(run.err.find("usage: orvadw-cli " + command[0]), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  for (const auto& globals : std::vector<std::vector<std::string>>{
           {"--baud-index", "8"}, {"--jbus", "256"}, {"--timeout", "0"}}) {
    const Run run = cli({"read", "0x100", "1"}, globals);
    EXPECT_EQ(run.status, 2) << globals[0];
    EXPECT_NE(run.err.find(globals[0]), std::string::npos) << run.err;
  }
  EXPECT_EQ(instrument_->counters().requests, 0u);
}

TEST_F(LinkCommandsTest, NumbersBeyondAnIntAreRefusedNotWrapped) {
  // Cut to 32 bits these would be slave 2, speed index 5 and 1000 ms: a
  // command that talks to the wrong instrument and says it worked.
  for (const auto& globals : std::vector<std::vector<std::string>>{
           {"--jbus", "4294967298"}, {"--baud-index", "4294967301"}, {"--timeout", "4294968296"},
           {"--jbus", "-4294967295"}}) {
    const Run run = cli({"read", "0x100", "1"}, globals);
    EXPECT_EQ(run.status, 2) << globals[0] << " " << globals[1];
    EXPECT_NE(run.err.find(globals[0]), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(instrument_->counters().requests, 0u);
}

TEST_F(LinkCommandsTest, MissingPortsGiveTheCodeAndTheReason) {
  const Run nobody = capture_cli({"--port", "sim:nobody-here", "read", "0x100", "1"});
  EXPECT_EQ(nobody.status, 1);
  EXPECT_NE(nobody.err.find("error 253: the serial port could not be opened"), std::string::npos)
      << nobody.err;
  EXPECT_NE(nobody.err.find("sim:nobody-here"), std::string::npos) << nobody.err;

  const Run unmapped = capture_cli({"--port", "COM200", "identify"});
  EXPECT_EQ(unmapped.status, 1);
  EXPECT_NE(unmapped.err.find("error 253: "), std::string::npos) << unmapped.err;

  const Run none = capture_cli({"identify"});
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("--port"), std::string::npos) << none.err;

  const Run no_config =
      capture_cli({"--config", "/nonexistent/orvadw.cfg", "--port", "1", "identify"});
  EXPECT_EQ(no_config.status, 2);
  EXPECT_NE(no_config.err.find("/nonexistent/orvadw.cfg"), std::string::npos);
}

TEST_F(LinkCommandsTest, ConfigurationPortsSectionNamesTheDevice) {
  const test::TempDir folder("orvadw-link-commands");
  const std::string path = folder.file("ports.cfg");
  ASSERT_TRUE(
      test::write_file(path, "[Com]\nPort=5.000000\n[Ports]\nCOM6=" + sim::SimBus::device(name_) + "\n"));
  const Run by_number =
      capture_cli({"--config", path, "--port", "6", "--baud-index", "7", "read", "0x100", "2"});
  ASSERT_EQ(by_number.status, 0) << by_number.err;
  EXPECT_EQ(by_number.out, hex(instrument_->registers(0x100, 2)) + "\n");
  // Without --port the saved 0-based port of section Com is used.
  const Run saved = capture_cli({"--config", path, "--baud-index", "7", "read", "0x1000", "1"});
  ASSERT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(saved.out, hex(instrument_->registers(0x1000, 1)) + "\n");
  PortMap::instance().set_device(6, "");
}

TEST_F(LinkCommandsTest, BenchPrintsTransactionsDataAndTheLoop) {
  const Run read = cli({"bench", "read", "--count", "3", "--address", "0x1000", "--registers", "4"});
  ASSERT_EQ(read.status, 0) << read.err;
  const std::vector<std::string> lines = lines_of(read.out);
  ASSERT_EQ(lines.size(), 7u) << read.out;
  const std::string data = hex(instrument_->registers(0x1000, 4));
  for (int i = 0; i < 3; ++i) {
    long long ns = -1;
    int index = -1, ok = -1;
    ASSERT_EQ(std::sscanf(lines[i].c_str(), "TX %d %d %lld", &index, &ok, &ns), 3) << lines[i];
    EXPECT_EQ(index, i);
    EXPECT_EQ(ok, 1);
    EXPECT_GT(ns, 0);
    EXPECT_EQ(lines[3 + i], "DATA " + std::to_string(i) + " " + data);
  }
  long long n = 0, wall = 0, user = -1, sys = -1;
  ASSERT_EQ(std::sscanf(lines[6].c_str(), "LOOP %lld %lld %lld %lld", &n, &wall, &user, &sys), 4);
  EXPECT_EQ(n, 3);
  EXPECT_GT(wall, 0);
  EXPECT_GE(user, 0);
  EXPECT_GE(sys, 0);

  // Iteration i writes i*R+k+1 into register A+k; the last one stays.
  const Run write = cli({"bench", "write", "--count", "3", "--address", "0x1002", "--registers", "3"});
  ASSERT_EQ(write.status, 0) << write.err;
  EXPECT_EQ(instrument_->registers(0x1002, 3), (Bytes{0x00, 7, 0x00, 8, 0x00, 9}));
  EXPECT_EQ(lines_of(write.out).size(), 4u) << write.out;  // no DATA lines for writes
  EXPECT_EQ(instrument_->counters().writes, 3u);
}

TEST_F(LinkCommandsTest, BenchCountsFailedTransactions) {
  sim::FaultOptions faults;
  faults.exception_code = 4;
  sim::SimBus::set_faults(name_, faults);
  const Run run = cli({"bench", "read", "--count", "1", "--registers", "2"});
  EXPECT_EQ(run.status, 1);
  const std::vector<std::string> lines = lines_of(run.out);
  ASSERT_EQ(lines.size(), 3u) << run.out;
  EXPECT_EQ(lines[0].rfind("TX 0 0 ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "DATA 0 ");
  EXPECT_NE(run.err.find("error 154: "), std::string::npos) << run.err;
}

}  // namespace
}  // namespace orvadw::cli
