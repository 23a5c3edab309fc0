// Several records appended together read back in place, in the same object
// and after reopening.
#include <gtest/gtest.h>

#include "files/record_file.h"
#include "record_file_test_support.h"

namespace orvadw {
namespace {

TEST(RecordFileAppendRecords, ASampleOfRecordsReadsBackWhereverTheReaderStarts) {
  test::TempDir dir;
  const std::string path = dir.file("together.mes");
  RecordFile file;
  ASSERT_EQ(file.create(path), 0);
  ASSERT_EQ(file.create_header("x", DateTime(2024, 1, 1, 0, 0, 0)), 0);
  ASSERT_EQ(file.append(test::pattern_record(0, 5)), 0);
  const std::vector<std::vector<std::uint8_t>> sample = {test::pattern_record(1, 44), test::pattern_record(2, 0),
                                                         test::pattern_record(3, 800)};
  ASSERT_EQ(file.append_records(sample), 0);
  ASSERT_EQ(file.append(test::pattern_record(4, 7)), 0);
  EXPECT_EQ(file.record_count(), 5);
  std::vector<std::uint8_t> bytes;
  for (int i : {3, 1, 4, 2, 0}) {
    ASSERT_EQ(file.read_record(i, bytes), 0) << i;
    EXPECT_EQ(bytes, i == 0 ? test::pattern_record(0, 5) : i == 4 ? test::pattern_record(4, 7)
                                                                 : sample[static_cast<std::size_t>(i - 1)])
        << i;
  }
  file.close();

  std::string text;
  DateTime saved;
  ASSERT_EQ(file.open(path, false), 0);
  ASSERT_EQ(file.read_header(text, saved), 0);
  EXPECT_FALSE(file.tail_damaged());
  EXPECT_EQ(file.record_count(), 5);
  ASSERT_EQ(file.read_record(3, bytes), 0);
  EXPECT_EQ(bytes, sample[2]);
  EXPECT_EQ(file.append_records(sample), -1) << "a file opened read-only takes nothing";
}

}  // namespace
}  // namespace orvadw
