// orvadw-cli search against orvadw-sim programs on pseudo-terminals: a port
// map with a missing device, a silent instrument and one that hears only
// 1200 baud; what it prints when it finds the instrument, when nothing
// answers, and what --trace shows of it.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "base/text_table.h"
#include "support/cli_run.h"
#include "tests/support/file_contents.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_lines.h"

namespace {

using orvadw::test::CliRun;
using orvadw::test::lines_of;
using orvadw::test::SimProcess;
using namespace std::chrono_literals;

class SearchPtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(silent_.start({"--drop", "1"})) << silent_.error();
    ASSERT_TRUE(instrument_.start({"--baud", "1200", "--jbus", "17"})) << instrument_.error();
  }
  std::string port_map(bool with_instrument) {
    std::string text = "[Ports]\nCOM1=" + dir_.file("no-such-tty") + "\nCOM2=" + silent_.link() + "\n";
    if (with_instrument) text += "COM3=" + instrument_.link() + "\n";
    const std::string path = dir_.file(with_instrument ? "three.cfg" : "two.cfg");
    EXPECT_TRUE(orvadw::test::write_file(path, text));
    return path;
  }
  static CliRun cli(const std::vector<std::string>& args) {
    return orvadw::test::run_cli_program(args, 120s);
  }

  orvadw::test::TempDir dir_{"orvadw-search"};
  SimProcess silent_;
  SimProcess instrument_;
};

TEST_F(SearchPtyTest, FindsTheInstrumentItsSpeedAndItsNumberThroughSlaveZero) {
  const CliRun run = cli({"--config", port_map(true), "--timeout", "250", "--trace", "search"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(lines_of(run.out),
            (std::vector<std::string>{"port: 3", "device: " + instrument_.link(), "baud index: 2",
                                      "baud: 1200", "jbus: 17"}));
  EXPECT_EQ(silent_.stop(), 0);
  EXPECT_EQ(instrument_.stop(), 0);
  // The silent one was asked once at each of the seven speeds; the other
  // heard the four higher speeds as noise and answered at 1200 only.
  EXPECT_EQ(silent_.counts().at("dropped"), 7);
  EXPECT_EQ(instrument_.counts().at("answered"), 1);
  EXPECT_EQ(instrument_.counts().at("wrong_speed_bytes"), 4 * 8);

  // --trace: the request to slave 0, its silent verdicts, and the answer.
  const std::vector<std::string> trace = lines_of(run.err);
  const std::regex sent(R"(^\d+ > 00 03 ff 00 00 19 b5 c5$)");
  const std::regex silent(R"(^\d+ = 251 no answer from the instrument \(attempt 1\)$)");
  const std::regex answer(R"(^\d+ < 11 03 32 00 11( [0-9a-f]{2}){50}$)");
  const std::regex success(R"(^\d+ = 0 success \(attempt 1\)$)");
  int sent_lines = 0, silent_lines = 0, answers = 0, successes = 0;
  for (const std::string& line : trace) {
    sent_lines += std::regex_match(line, sent);
    silent_lines += std::regex_match(line, silent);
    answers += std::regex_match(line, answer);
    successes += std::regex_match(line, success);
  }
  EXPECT_EQ(sent_lines, 7 + 5) << run.err;
  EXPECT_EQ(silent_lines, 7 + 4) << run.err;
  EXPECT_EQ(answers, 1) << run.err;
  EXPECT_EQ(successes, 1) << run.err;
}

TEST_F(SearchPtyTest, NothingAnsweringSaysSoAndExitsOne) {
  const CliRun run = cli({"--config", port_map(false), "--timeout", "150", "search"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, orvadw::text_of(59, orvadw::kEnglish) + "\n");
}

}  // namespace
