// orvadw-cli record and logger against orvadw-sim over a real
// pseudo-terminal: a recording killed in the middle still opens with whole
// samples, one stopped by SIGINT ends complete, and the logger download asks
// for no entry beyond the table.
#include <gtest/gtest.h>

#include <csignal>

#include "tests/support/bin_dir.h"
#include "tests/support/child_process.h"
#include "tests/support/measurement_replay.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_lines.h"

namespace orvadw {
namespace {

using test::ChildProcess;
using test::program_path;
using Clock = ChildProcess::Clock;
using namespace std::chrono_literals;

int sample_lines(const std::string& out) {
  int n = 0;
  for (const std::string& line : test::lines_of(out)) n += line.rfind("sample ", 0) == 0 ? 1 : 0;
  return n;
}

class RecordLoggerPtyTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (sim_.running()) sim_.stop();
  }
  bool start_cli(ChildProcess& child, std::vector<std::string> args) {
    args.insert(args.begin(), {program_path("orvadw-cli"), "--port", sim_.link()});
    return child.start(args);
  }
  test::SimProcess sim_;
  test::TempDir dir_;
};

TEST_F(RecordLoggerPtyTest, ARecordingKilledMidwayOpensWithItsWholeSamples) {
  ASSERT_TRUE(sim_.start({})) << sim_.error();
  const std::string path = dir_.file("killed.mes");
  ChildProcess child;
  ASSERT_TRUE(start_cli(child, {"record", path, "--period", "1"})) << child.error();
  child.read_until(Clock::now() + 20s, [&] { return sample_lines(child.out_text()) >= 3; });
  ASSERT_GE(sample_lines(child.out_text()), 3) << child.err_text();
  ASSERT_TRUE(child.send_signal(SIGKILL));
  child.wait(Clock::now() + 10s);

  int records = 0;
  const std::vector<DateTime> clocks = test::replayed_clocks(path, records);
  ASSERT_GE(records, 9) << "the file opens";
  EXPECT_EQ(static_cast<int>(clocks.size()), records / 3) << "every whole sample replays";
  EXPECT_GE(clocks.size(), 3u);
  for (std::size_t i = 1; i < clocks.size(); ++i) {
    EXPECT_GT(clocks[i].seconds_since_1980(), clocks[i - 1].seconds_since_1980()) << i;
  }
}

TEST_F(RecordLoggerPtyTest, SigintEndsTheRecordingWithTheFileComplete) {
  ASSERT_TRUE(sim_.start({})) << sim_.error();
  const std::string path = dir_.file("stopped.mes");
  ChildProcess child;
  ASSERT_TRUE(start_cli(child, {"record", path, "--period", "1", "--samples", "1000"})) << child.error();
  child.read_until(Clock::now() + 20s, [&] { return sample_lines(child.out_text()) >= 2; });
  ASSERT_TRUE(child.send_signal(SIGINT));
  EXPECT_EQ(child.wait(Clock::now() + 20s), 0) << child.err_text();
  const int written = sample_lines(child.out_text());
  int records = 0;
  const std::vector<DateTime> clocks = test::replayed_clocks(path, records);
  EXPECT_EQ(records, 3 * written);
  EXPECT_EQ(static_cast<int>(clocks.size()), written);
  EXPECT_NE(child.err_text().find("recorded " + std::to_string(written) + " samples"), std::string::npos);

  // --samples ends it by itself.
  ChildProcess counted;
  ASSERT_TRUE(start_cli(counted, {"record", dir_.file("two.mes"), "--samples", "2"})) << counted.error();
  EXPECT_EQ(counted.wait(Clock::now() + 30s), 0) << counted.err_text();
  EXPECT_EQ(sample_lines(counted.out_text()), 2);
}

TEST_F(RecordLoggerPtyTest, TheLoggerStopsAtTwentyEntriesAndSavesThem) {
  ASSERT_TRUE(sim_.start({"--logger-entries", "25"})) << sim_.error();
  const std::string path = dir_.file("twenty.log");
  ChildProcess child;
  ASSERT_TRUE(start_cli(child, {"logger", path})) << child.error();
  ASSERT_EQ(child.wait(Clock::now() + 30s), 0) << child.err_text();
  const std::vector<std::string> rows = test::lines_of(child.out_text());
  ASSERT_EQ(rows.size(), 21u) << child.out_text();
  EXPECT_EQ(rows[0], "N°\tDate\tTime\tT Obt(µs)");
  EXPECT_EQ(rows[20].substr(0, 3), "20\t");
  ASSERT_EQ(sim_.stop(), 0);
  EXPECT_EQ(sim_.counts()["frames"], 21) << "the identification and 20 entries, nothing beyond";

  RecordFile file;
  ASSERT_TRUE(test::open_record_file(file, path));
  EXPECT_EQ(file.record_count(), 20);

  ASSERT_TRUE(sim_.restart({"--logger-entries", "0"})) << sim_.error();
  ChildProcess empty;
  ASSERT_TRUE(start_cli(empty, {"logger"})) << empty.error();
  ASSERT_EQ(empty.wait(Clock::now() + 30s), 0) << empty.err_text();
  EXPECT_EQ(test::lines_of(empty.out_text()).size(), 1u) << "an empty log: the header row only";
}

}  // namespace
}  // namespace orvadw
