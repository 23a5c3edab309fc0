// The logger download fills the table one entry per answer, ends where the
// log ends, and saves the bytes it received.
#include "files/logger_download.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/text_table.h"
#include "files/record_file.h"
#include "params/window_table.h"
#include "tests/support/file_contents.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/measurement_replay.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

using Clock = LoggerDownload::Clock;
using Step = LoggerDownload::Step;
using Bytes = std::vector<std::uint8_t>;

// One answer of 16 bytes: the date in the logger's order (month in the low
// nibble, event kind above it), the obturation time as a big-endian float.
Bytes entry(int day, float microseconds, int hour = 10) {
  Bytes b(16, 0);
  b[0] = 0x10 | 3;  // kind 1, March
  b[1] = 24;
  b[2] = static_cast<std::uint8_t>(day);
  b[3] = static_cast<std::uint8_t>(hour);
  b[4] = 30;
  b[5] = 15;
  std::uint32_t bits = 0;
  std::memcpy(&bits, &microseconds, sizeof bits);
  for (int i = 0; i < 4; ++i)
    b[static_cast<std::size_t>(6 + i)] = static_cast<std::uint8_t>(bits >> (24 - 8 * i));
  return b;
}

class LoggerDownloadTest : public ::testing::Test {
 protected:
  LoggerDownloadTest()
      : fields(make_field_list(logger_window(kEnglish), kEnglish)), table(fields) {}
  ParameterFieldList fields;
  LoggerTable table;
  Clock::time_point t0 = Clock::now();
};

TEST_F(LoggerDownloadTest, TwentyRowsAtMostAndTheEntriesBeyondAreNeverAskedFor) {
  LoggerDownload download(table, t0);
  std::vector<int> asked;
  // The instrument holds 25 entries.
  Step step = Step::kNext;
  while (step == Step::kNext) {
    const PolledRequest request = download.request();
    ASSERT_EQ(request.function, 4);
    ASSERT_EQ(request.count, 1);
    ASSERT_EQ(request.bytes_per_item, 16);
    asked.push_back(request.address);
    step = download.on_answer(entry(1 + request.address, 100.0f + request.address), t0);
  }
  EXPECT_EQ(step, Step::kEnded);
  ASSERT_EQ(asked.size(), 20u);
  EXPECT_EQ(asked.back(), 19) << "entries 21 to 25 are never requested";
  const GridTable& grid = table.grid();
  EXPECT_EQ(grid.rows(), 21);
  EXPECT_EQ(grid.row(0), (std::vector<std::string>{"N°", "Date", "Time", "T Obt(µs)"}));
  EXPECT_EQ(grid.cell(20, 0), "20");
  EXPECT_EQ(grid.cell(20, 3), "119");
  EXPECT_EQ(grid.column_alignment(2), CellAlignment::kCentre);
  EXPECT_EQ(grid.fixed_rows(), 1);
  EXPECT_EQ(table.entry_count(), 20);
}

TEST_F(LoggerDownloadTest, TheDateBytesOfTheLoggerAndAnEmptyLog) {
  LoggerDownload download(table, t0);
  // 0x0C 0x05 0x1F 0x17 0x3B 0x3A: 31 December 2005, 23:59:58; the high
  // nibble of the first byte is not part of the month.
  Bytes first = {0xFC, 0x05, 0x1F, 0x17, 0x3B, 0x3A, 0x44, 0x9A, 0x56, 0x00, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(download.on_answer(first, t0), Step::kNext);
  const DateTime expected(2005, 12, 31, 23, 59, 58);
  EXPECT_EQ(table.grid().cell(1, 1), expected.format_date());
  EXPECT_EQ(table.grid().cell(1, 2), expected.format_time());
  EXPECT_EQ(table.grid().cell(1, 3), "1235") << "1234.6875 µs shown in whole µs";
  // The end mark: an entry of obturation time 0 is not shown.
  EXPECT_EQ(download.on_answer(Bytes(16, 0), t0), Step::kEnded);
  EXPECT_EQ(table.grid().cell(2, 0), "");
  EXPECT_EQ(download.on_answer(entry(2, 5.0f), t0), Step::kEnded) << "nothing after the end";

  LoggerTable other_table(fields);
  LoggerDownload empty(other_table, t0);
  EXPECT_EQ(empty.on_answer(entry(1, 0.0f), t0), Step::kEnded) << "first entry 0: empty at once";
  EXPECT_EQ(other_table.entry_count(), 0);
  EXPECT_TRUE(other_table.grid().filled_rows().empty());
}

TEST_F(LoggerDownloadTest, FailuresRetryTheSameEntryThenGiveUpOnADeadLine) {
  LoggerDownload download(table, t0);
  ASSERT_EQ(download.on_answer(entry(1, 10), t0), Step::kNext);
  EXPECT_EQ(download.on_answer({}, t0 + std::chrono::seconds(4)), Step::kRetry);
  EXPECT_EQ(download.request().address, 1) << "the same entry again";
  ASSERT_EQ(download.on_answer(entry(2, 20), t0 + std::chrono::seconds(4)), Step::kNext);
  EXPECT_EQ(download.on_answer({}, t0 + std::chrono::seconds(8)), Step::kRetry)
      << "the clock restarts at each good answer";
  EXPECT_EQ(download.on_answer({}, t0 + std::chrono::seconds(9)), Step::kGaveUp);
  EXPECT_TRUE(download.finished());
  EXPECT_EQ(table.entry_count(), 2) << "what was read stays";

  LoggerTable short_table(fields);
  LoggerDownload garbled(short_table, t0);
  EXPECT_EQ(garbled.on_answer(Bytes(4, 1), t0), Step::kUndecodable);
}

TEST_F(LoggerDownloadTest, SavingWritesTheReceivedBytesAndLoadingShowsTheSameRows) {
  test::TempDir dir;
  const std::string path = dir.file("log.log");
  LoggerDownload download(table, t0);
  std::vector<Bytes> sent;
  for (int i = 0; i < 7; ++i) {
    // Fractions of a µs are not shown but belong to the data.
    sent.push_back(entry(1 + i, 1000.25f + static_cast<float>(i) + 0.5f, i));
    ASSERT_EQ(download.on_answer(sent.back(), t0), Step::kNext);
  }
  ASSERT_EQ(download.on_answer(Bytes(16, 0), t0), Step::kEnded);
  const LoggerTable::SaveResult saved =
      table.save(path, "Logger\n", DateTime(2024, 5, 1, 8, 0, 0), kEnglish);
  ASSERT_TRUE(saved.created);
  EXPECT_TRUE(saved.errors.empty());
  EXPECT_EQ(saved.written, 7);

  RecordFile file;
  ASSERT_TRUE(test::open_record_file(file, path));
  ASSERT_EQ(file.record_count(), 7);
  for (int i = 0; i < 7; ++i) {
    Bytes record;
    ASSERT_EQ(file.read_record(i, record), 0);
    EXPECT_EQ(record, Bytes(sent[static_cast<std::size_t>(i)].begin(),
                            sent[static_cast<std::size_t>(i)].begin() + 10))
        << "record " << i << " is the entry as received";
  }

  ParameterFieldList other = make_field_list(logger_window(kEnglish), kEnglish);
  LoggerTable loaded(other);
  EXPECT_EQ(
      loaded.load(file.record_count(), [&](int i, Bytes& out) { return file.read_record(i, out); }),
      7);
  for (int r = 0; r <= 7; ++r) EXPECT_EQ(loaded.grid().row(r), table.grid().row(r)) << "row " << r;
  EXPECT_EQ(loaded.grid().cell(8, 0), "");
  EXPECT_EQ(loaded.entry_bytes(3), table.entry_bytes(3)) << "a loaded table saves its loaded bytes";

  const LoggerTable::SaveResult refused =
      table.save(dir.file("none/x.log"), "", DateTime(), kEnglish);
  EXPECT_FALSE(refused.created);
  ASSERT_EQ(refused.errors.size(), 1u);
}

TEST_F(LoggerDownloadTest, ASaveThatMeetsAFullDiskLeavesTheEarlierFileWhole) {
  test::TempDir dir;
  const std::string path = dir.file("log.log");
  LoggerDownload download(table, t0);
  for (int i = 0; i < 7; ++i) ASSERT_EQ(download.on_answer(entry(1 + i, 900.0f + i, i), t0), Step::kNext);
  ASSERT_EQ(download.on_answer(Bytes(16, 0), t0), Step::kEnded);
  ASSERT_TRUE(table.save(path, "Logger\n", DateTime(2024, 5, 1, 8, 0, 0), kEnglish).created);
  const std::string before = test::read_file(path);
  ASSERT_FALSE(before.empty());

  // The disk fills up half-way through the second save.
  const test::ChildEnd end = test::run_with_file_size_limit(
      static_cast<off_t>(before.size() / 2), test::AtFileSizeLimit::kWriteFails, [&] {
        const LoggerTable::SaveResult saved =
            table.save(path, "Logger\n", DateTime(2024, 6, 1, 8, 0, 0), kEnglish);
        return !saved.created && !saved.errors.empty() && saved.written == 0 ? 0 : 1;
      });
  EXPECT_EQ(end.exit_code, 0) << "the failed save reports itself";
  EXPECT_EQ(test::read_file(path), before) << "the earlier file is untouched";
}

}  // namespace
}  // namespace orvadw
