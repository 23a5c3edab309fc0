#include "files/record_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <random>

#include "record_file_test_support.h"

namespace orvadw {
namespace {

using test::Bytes;
using test::FileBytes;
using test::pattern_record;
using test::read_file_bytes;
using test::TempDir;
using test::write_file_bytes;

const DateTime kSaved(2024, 3, 5, 7, 8, 9);
constexpr const char* kSavedLine = "05/03/2024 - 07:08:09\n";

// Creates path with the header text and the records given.
void make_file(const std::string& path, std::string_view text, const std::vector<Bytes>& records) {
  RecordFile f;
  ASSERT_EQ(f.create(path), 0);
  ASSERT_EQ(f.create_header(text, kSaved), 0);
  for (const auto& r : records) ASSERT_EQ(f.append(r), 0);
}

TEST(RecordFileWrite, HeaderAndRecordsAreFramedByteForByte) {
  TempDir dir;
  const std::string path = dir.file("a.eta");
  RecordFile f;
  EXPECT_EQ(f.current_index(), RecordFile::kNoFile);
  ASSERT_EQ(f.create(path), 0);
  ASSERT_EQ(f.create_header("abc", kSaved), 0);
  EXPECT_EQ(f.current_index(), RecordFile::kAtFirstMarker);
  EXPECT_EQ(f.header_length(), 32);
  EXPECT_EQ(f.record_count(), 0);

  FileBytes expected;
  expected.i32(32).text("\n\n").text(kSavedLine).text("abc\n").i32(0);
  EXPECT_EQ(read_file_bytes(path), expected.bytes());

  // 300 bytes: the length needs two bytes, least significant first.
  const Bytes r0{0x11, 0x22};
  const Bytes r1{};
  const Bytes r2{1, 2, 3, 4, 5};
  const Bytes r3 = pattern_record(3, 300);
  ASSERT_EQ(f.append(r0), 0);
  EXPECT_EQ(f.current_index(), 0);
  ASSERT_EQ(f.append(r1), 0);
  ASSERT_EQ(f.append(r2), 0);
  EXPECT_EQ(f.current_index(), 2);
  EXPECT_EQ(f.record_count(), 3);
  expected.record(r0, 1).record(r1, 2).record(r2, 3);
  EXPECT_EQ(read_file_bytes(path), expected.bytes());

  ASSERT_EQ(f.append(r3), 0);
  expected.record(r3, 4);
  const Bytes on_disk = read_file_bytes(path);
  EXPECT_EQ(on_disk, expected.bytes());
  const std::size_t len_at = on_disk.size() - 4 - 4 - 300 - 4;
  EXPECT_EQ(on_disk[len_at], 0x2C);
  EXPECT_EQ(on_disk[len_at + 1], 0x01);
  EXPECT_EQ(on_disk[len_at + 2], 0x00);
}

TEST(RecordFileWrite, HeaderRewriteCutsOldContentAndLongTextsAreRefused) {
  TempDir dir;
  const std::string path = dir.file("b.eta");
  make_file(path, "first", {{1, 2, 3}, {4}});
  RecordFile f;
  ASSERT_EQ(f.open(path, true), 0);
  ASSERT_EQ(f.create_header("x", kSaved), 0);
  EXPECT_EQ(read_file_bytes(path), FileBytes().header("05/03/2024 - 07:08:09\n", "x").bytes());

  // 1971 characters give a 2000-byte header, the most a reader accepts.
  std::string longest(RecordFile::kMaxHeaderText, 'h');
  ASSERT_EQ(f.create_header(longest, kSaved), 0);
  EXPECT_EQ(f.header_length(), 2000);
  std::string text;
  DateTime time;
  ASSERT_EQ(f.read_header(text, time), 0);
  EXPECT_EQ(text, longest);
  EXPECT_EQ(f.create_header(longest + "h", kSaved), -1);

  RecordFile read_only;
  ASSERT_EQ(read_only.open(path, false), 0);
  EXPECT_EQ(read_only.create_header("x", kSaved), -1);
  EXPECT_EQ(read_only.append(Bytes{1}), -1);
}

TEST(RecordFileRead, HeaderTextTimeAndRecordsInAnyOrder) {
  TempDir dir;
  const std::string path = dir.file("c.eta");
  const std::vector<Bytes> records{{0xAA, 0xBB}, {}, {9, 8, 7, 6, 5}};
  make_file(path, "line 1\nline 2\n", records);

  RecordFile f;
  ASSERT_EQ(f.open(path, false), 0);
  std::string text;
  DateTime time;
  ASSERT_EQ(f.read_header(text, time), 0);
  EXPECT_EQ(text, "line 1\nline 2");
  EXPECT_EQ(time, kSaved);
  EXPECT_EQ(f.date_line(), "05/03/2024 - 07:08:09");
  EXPECT_EQ(f.record_count(), 3);
  EXPECT_EQ(f.current_index(), RecordFile::kAtFirstMarker);
  EXPECT_FALSE(f.tail_damaged());

  Bytes got;
  // 2, 0, 0 again (the same index steps back one), then forward and back.
  for (int index : {2, 0, 0, 1, 2, 2, 1, 0, 2}) {
    SCOPED_TRACE(index);
    ASSERT_EQ(f.read_record(index, got), 0);
    EXPECT_EQ(got, records[static_cast<std::size_t>(index)]);
    EXPECT_EQ(f.current_index(), index);
  }
  EXPECT_EQ(f.read_record(3, got), -1);
  EXPECT_EQ(f.read_record(-1, got), -1);
  EXPECT_EQ(got, records[2]);  // a refused read leaves the output alone
}

TEST(RecordFileRead, TextWithoutClosingLineFeedKeepsItsLastCharacter) {
  TempDir dir;
  const std::string path = dir.file("d.eta");
  make_file(path, "abc", {});
  RecordFile f;
  ASSERT_EQ(f.open(path, false), 0);
  std::string text;
  DateTime time;
  ASSERT_EQ(f.read_header(text, time), 0);
  EXPECT_EQ(text, "abc");
  EXPECT_EQ(f.record_count(), 0);
  Bytes got;
  EXPECT_EQ(f.read_record(0, got), -1);

  make_file(path, "", {Bytes{1}});
  ASSERT_EQ(f.open(path, false), 0);
  ASSERT_EQ(f.read_header(text, time), 0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(f.header_length(), 29);
  ASSERT_EQ(f.read_record(0, got), 0);
  EXPECT_EQ(got, Bytes{1});
}

struct DateCase {
  const char* line;
  int year, month, day, hour, minute, second;
};

TEST(RecordFileRead, DateLineIsReadByFixedPositionsWithTwoDigitYearPivot) {
  TempDir dir;
  const std::string path = dir.file("date.mes");
  const DateCase cases[] = {
      {"31/12/2038 - 23:59:58\n", 2038, 12, 31, 23, 59, 58},
      {"01/02/1999 - 00:00:01\n", 1999, 2, 1, 0, 0, 1},
      {"15/06/1939 - 12:30:00\n", 1939, 6, 15, 12, 30, 0},
      // Only the last two digits of the year count: 19 38 is 2038.
      {"10/10/1938 - 10:10:10\n", 2038, 10, 10, 10, 10, 10},
      {"10/10/2000 - 10:10:10\n", 2000, 10, 10, 10, 10, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    write_file_bytes(path, FileBytes().header(c.line, "t\n").record({7}, 1).bytes());
    RecordFile f;
    ASSERT_EQ(f.open(path, false), 0);
    std::string text;
    DateTime time;
    ASSERT_EQ(f.read_header(text, time), 0);
    EXPECT_EQ(time.year(), c.year);
    EXPECT_EQ(time.month(), c.month);
    EXPECT_EQ(time.day(), c.day);
    EXPECT_EQ(time.hour(), c.hour);
    EXPECT_EQ(time.minute(), c.minute);
    EXPECT_EQ(time.second(), c.second);
    EXPECT_EQ(f.record_count(), 1);
  }
}

TEST(RecordFileRead, MalformedHeadersAreNotRecordFiles) {
  TempDir dir;
  const std::string path = dir.file("bad.eta");
  const std::string good_line = "05/03/2024 - 07:08:09\n";
  std::vector<std::pair<std::string, Bytes>> cases;
  // A day written with one digit by another writer.
  cases.push_back({"20-character date", FileBytes().header("5/03/2024 - 07:08:09\n", "t\n").bytes()});
  cases.push_back({"22-character date", FileBytes().header("005/03/2024 - 07:08:09\n", "t\n").bytes()});
  {
    FileBytes b;  // header length 2001
    std::string text(2001 - 29, 'x');
    b.header(good_line, text);
    cases.push_back({"header above 2000", b.bytes()});
  }
  cases.push_back({"length below minimum", FileBytes().i32(28).text("\n\n").text(good_line).i32(0).bytes()});
  cases.push_back({"negative length", FileBytes().i32(-40).text("\n\n").text(good_line).text("t\n").i32(0).bytes()});
  {
    Bytes b = FileBytes().header(good_line, "t\n").bytes();
    b.resize(b.size() - 2);  // marker 0 cut
    cases.push_back({"shorter than header", b});
  }
  {
    Bytes b = FileBytes().header(good_line, "t\n").bytes();
    b.back() = 1;  // marker 0 is not 0
    cases.push_back({"first marker not 0", b});
  }
  {
    // No line feed after the date inside the header.
    FileBytes b;
    b.i32(33).text("\n\n").text("05/03/2024 - 07:08:09xxxxxx").i32(0);
    cases.push_back({"date line without end", b.bytes()});
  }
  cases.push_back({"empty file", Bytes{}});
  cases.push_back({"three bytes", Bytes{32, 0, 0}});
  cases.push_back({"text file", Bytes{'h', 'e', 'l', 'l', 'o', '\n', 'w', 'o', 'r', 'l', 'd', '\n'}});

  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    write_file_bytes(path, bytes);
    RecordFile f;
    ASSERT_EQ(f.open(path, true), 0);
    std::string text = "untouched";
    DateTime time;
    EXPECT_EQ(f.read_header(text, time), -1);
    EXPECT_EQ(f.error_number(), 0);
    EXPECT_EQ(text, "untouched");
    Bytes got;
    EXPECT_EQ(f.read_record(0, got), -1);
    EXPECT_EQ(f.append(Bytes{1, 2}), -1);
    f.close();
    EXPECT_EQ(read_file_bytes(path), bytes);
  }
}

TEST(RecordFileRead, PipesAndDevicesAreNotRecordFiles) {
  TempDir dir;
  const std::string fifo = dir.file("pipe.eta");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/null")}) {
    SCOPED_TRACE(path);
    RecordFile f;
    // Neither may block: nobody writes to the pipe.
    ASSERT_EQ(f.open(path, false), 0);
    std::string text;
    DateTime time;
    EXPECT_EQ(f.read_header(text, time), -1);
    Bytes got;
    EXPECT_EQ(f.read_record(0, got), -1);
  }
}

TEST(RecordFileRead, TenThousandRecordsForwardBackwardAndAtRandom) {
  TempDir dir;
  const std::string path = dir.file("big.mes");
  constexpr int kCount = 10000;
  auto size_of = [](int k) { return static_cast<std::size_t>((k * 7919) % 61); };
  {
    // Built by hand: appending through the class would sync 10,000 times.
    FileBytes b;
    b.header(kSavedLine, "big\n");
    for (int k = 0; k < kCount; ++k) b.record(pattern_record(k, size_of(k)), k + 1);
    write_file_bytes(path, b.bytes());
  }
  auto check = [&](RecordFile& f, int k) {
    Bytes got;
    ASSERT_EQ(f.read_record(k, got), 0) << k;
    ASSERT_EQ(got, pattern_record(k, size_of(k))) << k;
    ASSERT_EQ(f.current_index(), k);
  };
  std::string text;
  DateTime time;
  {
    RecordFile f;
    ASSERT_EQ(f.open(path, false), 0);
    ASSERT_EQ(f.read_header(text, time), 0);
    ASSERT_EQ(f.record_count(), kCount);
    for (int k = 0; k < kCount; ++k) check(f, k);
    for (int k = kCount - 1; k >= 0; --k) check(f, k);
  }
  {
    // Backward first, from a fresh open: walks from the end.
    RecordFile f;
    ASSERT_EQ(f.open(path, false), 0);
    ASSERT_EQ(f.read_header(text, time), 0);
    for (int k = kCount - 1; k >= kCount - 200; --k) check(f, k);
  }
  {
    RecordFile f;
    ASSERT_EQ(f.open(path, false), 0);
    ASSERT_EQ(f.read_header(text, time), 0);
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> pick(0, kCount - 1);
    for (int n = 0; n < 3000; ++n) check(f, pick(rng));
  }
}

TEST(RecordFileWrite, AppendIsVisibleToAnIndependentReaderAtOnce) {
  TempDir dir;
  const std::string path = dir.file("rec.mes");
  RecordFile w;
  ASSERT_EQ(w.create(path), 0);
  ASSERT_EQ(w.create_header("rec\n", kSaved), 0);
  for (int k = 0; k < 5; ++k) {
    const Bytes r = pattern_record(k, 10 + static_cast<std::size_t>(k));
    ASSERT_EQ(w.append(r), 0);
    RecordFile reader;
    ASSERT_EQ(reader.open(path, false), 0);
    std::string text;
    DateTime time;
    ASSERT_EQ(reader.read_header(text, time), 0);
    ASSERT_EQ(reader.record_count(), k + 1);
    EXPECT_FALSE(reader.tail_damaged());
    Bytes got;
    ASSERT_EQ(reader.read_record(k, got), 0);
    EXPECT_EQ(got, r);
  }
}

TEST(RecordFileWrite, ReopenedFileContinuesItsMarkers) {
  TempDir dir;
  const std::string path = dir.file("more.eta");
  make_file(path, "h\n", {{1}, {2, 2}});
  RecordFile f;
  ASSERT_EQ(f.open(path, true), 0);
  std::string text;
  DateTime time;
  ASSERT_EQ(f.read_header(text, time), 0);
  ASSERT_EQ(f.append(Bytes{3, 3, 3}), 0);
  EXPECT_EQ(f.record_count(), 3);
  EXPECT_EQ(f.current_index(), 2);
  Bytes got;
  ASSERT_EQ(f.read_record(1, got), 0);
  EXPECT_EQ(got, (Bytes{2, 2}));
  // Appending after a read still goes to the end.
  ASSERT_EQ(f.append(Bytes{4}), 0);
  f.close();
  EXPECT_EQ(read_file_bytes(path), FileBytes()
                                       .header(kSavedLine, "h\n")
                                       .record({1}, 1)
                                       .record({2, 2}, 2)
                                       .record({3, 3, 3}, 3)
                                       .record({4}, 4)
                                       .bytes());
}

TEST(RecordFileWrite, AppendRefusedWhenTheFileChangedBehindIt) {
  TempDir dir;
  const std::string path = dir.file("shared.mes");
  RecordFile a;
  ASSERT_EQ(a.create(path), 0);
  ASSERT_EQ(a.create_header("h\n", kSaved), 0);
  {
    RecordFile b;
    ASSERT_EQ(b.open(path, true), 0);
    std::string text;
    DateTime time;
    ASSERT_EQ(b.read_header(text, time), 0);
    ASSERT_EQ(b.append(Bytes{5}), 0);
  }
  // a still believes the file ends at marker 0.
  EXPECT_EQ(a.append(Bytes{6}), -1);
  RecordFile r;
  ASSERT_EQ(r.open(path, false), 0);
  std::string text;
  DateTime time;
  ASSERT_EQ(r.read_header(text, time), 0);
  EXPECT_EQ(r.record_count(), 1);
  EXPECT_FALSE(r.tail_damaged());
}

TEST(RecordFileWrite, FailedAppendLeavesTheFileAsItWas) {
  TempDir dir;
  const std::string path = dir.file("full.mes");
  make_file(path, "h\n", {{1, 2, 3}});
  const Bytes before = read_file_bytes(path);

  RecordFile f;
  ASSERT_EQ(f.open(path, true), 0);
  std::string text;
  DateTime time;
  ASSERT_EQ(f.read_header(text, time), 0);

  // A file size limit makes the write stop half-way, like a full disk.
  struct rlimit old_limit {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  auto old_handler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = old_limit;
  limit.rlim_cur = before.size() + 10;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  const int rc = f.append(pattern_record(1, 100));
  const int err = f.error_number();
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);

  EXPECT_EQ(rc, -1);
  EXPECT_EQ(err, EFBIG);
  EXPECT_EQ(read_file_bytes(path), before);
  EXPECT_EQ(f.record_count(), 1);

  ASSERT_EQ(f.append(Bytes{9}), 0);
  f.close();
  EXPECT_EQ(read_file_bytes(path), FileBytes().raw(before).record({9}, 2).bytes());
}

}  // namespace
}  // namespace orvadw
