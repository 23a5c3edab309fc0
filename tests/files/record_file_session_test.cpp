#include "files/record_file_session.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <cerrno>
#include <cstring>

#include "files/file_error.h"
#include "record_file_test_support.h"
#include "tests/support/file_size_limit.h"

namespace orvadw {
namespace {

using test::Bytes;
using test::FileBytes;
using test::read_file_bytes;
using test::TempDir;
using test::write_file_bytes;

struct Shown {
  std::string message;
  int caption;
};

// A window's side of the file services, scripted.
class RecordFileSessionTest : public ::testing::Test {
 protected:
  RecordFileSessionTest() {
    FileServiceHooks hooks;
    hooks.show_error = [this](const std::string& m, int c) { shown.push_back({m, c}); };
    hooks.choose_save_path = [this]() -> std::optional<std::string> {
      ++save_dialogs;
      return save_answer;
    };
    hooks.choose_open_path = [this]() -> std::optional<std::string> {
      ++open_dialogs;
      return open_answer;
    };
    hooks.check_firmware = [this](const std::string& version) {
      checked_versions.push_back(version);
      return version.rfind("10-11-", 0) == 0 ? 0 : -1;
    };
    hooks.apply_identification = [this](const FileHeader& h) { applied.push_back(h); };
    hooks.now = [] { return DateTime(2025, 1, 2, 3, 4, 5); };
    session.set_hooks(std::move(hooks));
    session.set_file_kind(kSettingsFileKind);
    session.build_header_text("Réglages", {"12", "24", "40123", "10-11-02", "FW"});
  }

  // A settings file of records of the given register images.
  std::string settings_file(const std::string& name, const std::vector<Bytes>& records) {
    const std::string path = dir.file(name);
    std::string p = path;
    for (std::size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(session.save_record(p, records[i], i == 0 ? 1 : 8), 0);
    }
    return path;
  }

  TempDir dir;
  RecordFileSession session{kEnglish};
  std::vector<Shown> shown;
  std::optional<std::string> save_answer;
  std::optional<std::string> open_answer;
  int save_dialogs = 0;
  int open_dialogs = 0;
  std::vector<std::string> checked_versions;
  std::vector<FileHeader> applied;
};

TEST_F(RecordFileSessionTest, NewFileThenAppendsMakeOneMultiRecordFile) {
  EXPECT_EQ(session.default_extension(), "eta");
  EXPECT_EQ(session.filter(), "Setting File (*.eta)|*.eta|");
  save_answer = dir.file("set.eta");
  std::string path;
  ASSERT_EQ(session.save_record(path, Bytes{0x00, 0x01, 0x02, 0x03}, 1), 0);
  EXPECT_EQ(save_dialogs, 1);
  EXPECT_EQ(path, dir.file("set.eta"));
  EXPECT_FALSE(session.is_open());
  ASSERT_EQ(session.save_record(path, Bytes{0xAA, 0xBB}, 8), 0);
  ASSERT_EQ(session.save_record(path, Bytes{}, 8), 0);
  EXPECT_FALSE(session.is_open());
  EXPECT_EQ(save_dialogs, 1);
  EXPECT_TRUE(shown.empty());

  // The header text reaches the disk in Windows-1252 ("é" = 0xE9).
  const std::string header = "R\xE9glages\nOrvadW 10\n4278058235\n12\n24\n40123\n10-11-02\nFW\n";
  EXPECT_EQ(read_file_bytes(path), FileBytes()
                                       .header("02/01/2025 - 03:04:05\n", header)
                                       .record({0x00, 0x01, 0x02, 0x03}, 1)
                                       .record({0xAA, 0xBB}, 2)
                                       .record({}, 3)
                                       .bytes());
}

TEST_F(RecordFileSessionTest, SavingOverAFileReplacesItOnlyOnceTheNewOneIsWhole) {
  const std::string path = settings_file("over.eta", {{1, 2, 3, 4}, {5, 6}});
  const Bytes old_bytes = read_file_bytes(path);
  std::vector<Bytes> many;
  for (int i = 0; i < 40; ++i) many.push_back(test::pattern_record(i, 200));

  // The disk fills up half-way through the new file: the save reports the
  // system's reason and the old file is still there, byte for byte.
  const std::string expected_message =
      std::string("Couldn't open source file : ") + std::strerror(EFBIG);
  const test::ChildEnd failed = test::run_with_file_size_limit(
      static_cast<off_t>(old_bytes.size()) + 1000, test::AtFileSizeLimit::kWriteFails, [&] {
        std::string p = path;
        const int rc = session.save_records(p, many);
        return rc == -1 && shown.size() == 1 && shown[0].message == expected_message ? 0 : 1;
      });
  EXPECT_EQ(failed.exit_code, 0);
  EXPECT_EQ(read_file_bytes(path), old_bytes);

  // The program is killed in the middle of the save.
  const test::ChildEnd killed = test::run_with_file_size_limit(
      static_cast<off_t>(old_bytes.size()) + 1000, test::AtFileSizeLimit::kProcessDies, [&] {
        std::string p = path;
        session.save_records(p, many);
        return 0;
      });
  EXPECT_EQ(killed.signal, SIGXFSZ);
  EXPECT_EQ(read_file_bytes(path), old_bytes);
  int count = 0;
  std::string text;
  std::string p = path;
  ASSERT_EQ(session.open_for_reading(p, count, text), 0);
  EXPECT_EQ(count, 2);
  session.close_file();

  // With room, every record lands in one new file, in order.
  ASSERT_EQ(session.save_records(p, many), 0);
  ASSERT_EQ(session.open_for_reading(p, count, text), 0);
  ASSERT_EQ(count, 40);
  for (int i = 0; i < count; ++i) {
    Bytes record;
    ASSERT_EQ(session.load_record(p, i, 100, record), 0);
    EXPECT_EQ(record, test::pattern_record(i, 200)) << i;
  }
  session.close_file();

  // No records: the bare file a recording then appends to.
  ASSERT_EQ(session.save_records(p, std::vector<Bytes>{}), 0);
  ASSERT_EQ(session.save_record(p, Bytes{9, 9}, 8), 0);
  ASSERT_EQ(session.open_for_reading(p, count, text), 0);
  EXPECT_EQ(count, 1);
  EXPECT_TRUE(shown.empty());
}

TEST_F(RecordFileSessionTest, SilentFailuresAndFileErrors) {
  // Mode 8 without a path: nothing asked, nothing shown.
  std::string path;
  EXPECT_EQ(session.save_record(path, Bytes{1}, 8), -1);
  EXPECT_EQ(save_dialogs, 0);
  // A cancelled dialog.
  EXPECT_EQ(session.save_record(path, Bytes{1}, 1), -1);
  EXPECT_EQ(save_dialogs, 1);
  EXPECT_TRUE(path.empty());
  EXPECT_TRUE(shown.empty());

  // A folder that does not exist: text 77 and the system's reason.
  path = dir.file("missing/x.eta");
  EXPECT_EQ(session.save_record(path, Bytes{1}, 1), -1);
  ASSERT_EQ(shown.size(), 1U);
  EXPECT_EQ(shown[0].message, std::string("Couldn't open source file : ") + std::strerror(ENOENT));
  EXPECT_EQ(shown[0].caption, kErrorCaptionId);
  EXPECT_EQ(session.save_record(path, Bytes{1}, 8), -1);
  EXPECT_EQ(shown.size(), 2U);
  EXPECT_EQ(shown[1].message, shown[0].message);
}

TEST_F(RecordFileSessionTest, AppendingToAForeignOrCutFileIsRefusedAndChangesNothing) {
  const std::string garbage = dir.file("garbage.eta");
  const Bytes noise{'n', 'o', 't', ' ', 'a', ' ', 'r', 'e', 'c', 'o', 'r', 'd', ' ', 'f', 'i', 'l', 'e', '\n'};
  write_file_bytes(garbage, noise);
  std::string path = garbage;
  EXPECT_EQ(session.save_record(path, Bytes{1, 2}, 8), -1);
  ASSERT_EQ(shown.size(), 1U);
  EXPECT_EQ(shown[0].message, "Incorrect File");
  EXPECT_EQ(shown[0].caption, kErrorCaptionId);
  EXPECT_EQ(read_file_bytes(garbage), noise);

  const std::string good = settings_file("cut.eta", {{1, 2, 3, 4}, {5, 6}});
  Bytes cut = read_file_bytes(good);
  cut.resize(cut.size() - 3);
  write_file_bytes(good, cut);
  path = good;
  EXPECT_EQ(session.save_record(path, Bytes{7, 8}, 8), -1);
  ASSERT_EQ(shown.size(), 2U);
  EXPECT_EQ(shown[1].message, "Incorrect File");
  EXPECT_EQ(read_file_bytes(good), cut);
}

TEST_F(RecordFileSessionTest, OpenForReadingAndLoadRecords) {
  const std::string a = settings_file("a.eta", {{1, 2, 3, 4}, {5, 6}});
  const std::string b = settings_file("b.eta", {{9, 9}});

  std::string path = a;
  int count = 0;
  std::string text;
  ASSERT_EQ(session.open_for_reading(path, count, text), 0);
  EXPECT_TRUE(session.is_open());
  EXPECT_EQ(count, 2);
  EXPECT_EQ(text, "Réglages\nOrvadW 10\n4278058235\n12\n24\n40123\n10-11-02\nFW");
  EXPECT_EQ(session.file_save_time(), DateTime(2025, 1, 2, 3, 4, 5));

  // Already open: the same answer without touching the file.
  count = 0;
  ASSERT_EQ(session.open_for_reading(path, count, text), 0);
  EXPECT_EQ(count, 2);

  Bytes got;
  ASSERT_EQ(session.load_record(path, 1, 1, got), 0);
  EXPECT_EQ(got, (Bytes{5, 6}));
  ASSERT_EQ(session.load_record(path, 0, 2, got), 0);
  EXPECT_EQ(got, (Bytes{1, 2, 3, 4}));
  // Wrong register count: refused without a message.
  got = {0xFF};
  EXPECT_EQ(session.load_record(path, 0, 3, got), -1);
  EXPECT_EQ(got, (Bytes{0xFF}));
  EXPECT_EQ(session.load_record(path, 2, 1, got), -1);
  EXPECT_TRUE(shown.empty());

  // Another path while one is open gives that file, not the open one.
  path = b;
  ASSERT_EQ(session.open_for_reading(path, count, text), 0);
  EXPECT_EQ(count, 1);
  ASSERT_EQ(session.load_record(path, 0, 1, got), 0);
  EXPECT_EQ(got, (Bytes{9, 9}));

  // Empty path: the open dialog chooses, and the choice comes back.
  session.close_file();
  open_answer = a;
  path.clear();
  ASSERT_EQ(session.open_for_reading(path, count, text), 0);
  EXPECT_EQ(open_dialogs, 1);
  EXPECT_EQ(path, a);
  EXPECT_EQ(count, 2);
  session.close_file();
  open_answer.reset();
  path.clear();
  EXPECT_EQ(session.open_for_reading(path, count, text), -1);
  EXPECT_TRUE(shown.empty());
}

TEST_F(RecordFileSessionTest, LoadingOpensTheFileAndReadsItsIdentification) {
  const std::string a = settings_file("id.eta", {{1, 2}, {3, 4}});
  std::string path = a;
  Bytes got;
  ASSERT_EQ(session.load_record(path, 1, 1, got), 0);
  EXPECT_EQ(got, (Bytes{3, 4}));
  EXPECT_TRUE(session.is_open());
  ASSERT_EQ(checked_versions.size(), 1U);
  EXPECT_EQ(checked_versions[0], "10-11-02");
  ASSERT_EQ(applied.size(), 1U);
  EXPECT_EQ(applied[0].serial_week, 12);
  EXPECT_EQ(applied[0].serial_number, 40123U);
  EXPECT_EQ(applied[0].record_count, 2);
  EXPECT_EQ(applied[0].line_count, 8);
  EXPECT_EQ(session.identification().window_title, "Réglages");
}

// A refused file must not stay open: the next load of the same path would
// otherwise read its records without asking again.
TEST_F(RecordFileSessionTest, ARefusedFileIsNotLoadedOnASecondTry) {
  const std::string foreign = dir.file("refused.eta");
  write_file_bytes(foreign,
                   FileBytes()
                       .header("01/01/2001 - 00:00:00\n", "t\nn\n1\n1\n1\n1\n09-11-00\nold\n")
                       .record({1, 2}, 1)
                       .bytes());
  std::string path = foreign;
  Bytes got{0xEE};
  EXPECT_EQ(session.load_record(path, 0, 1, got), -1);
  EXPECT_FALSE(session.is_open());
  EXPECT_EQ(session.load_record(path, 0, 1, got), -1);
  EXPECT_EQ(checked_versions, (std::vector<std::string>{"09-11-00", "09-11-00"}));
  EXPECT_EQ(got, (Bytes{0xEE}));

  FileHeader h;
  EXPECT_EQ(session.read_identification(foreign, h), -1);
  EXPECT_FALSE(session.is_open());
  EXPECT_EQ(session.load_record(path, 0, 1, got), -1);
  EXPECT_EQ(checked_versions.size(), 4U);
  EXPECT_EQ(got, (Bytes{0xEE}));
  EXPECT_TRUE(applied.empty());

  // A file without records is refused the same way.
  const std::string empty = dir.file("norecords.eta");
  write_file_bytes(empty, FileBytes().header("01/01/2001 - 00:00:00\n", "t\n").bytes());
  path = empty;
  EXPECT_EQ(session.load_record(path, 0, 0, got), -1);
  EXPECT_FALSE(session.is_open());
  EXPECT_EQ(session.load_record(path, 0, 0, got), -1);
  ASSERT_EQ(shown.size(), 2U);
  EXPECT_EQ(shown[1].message, "Incorrect File");
}

TEST_F(RecordFileSessionTest, ReadIdentificationRules) {
  FileHeader h;
  EXPECT_EQ(session.read_identification("", h), -1);

  // Fewer lines: the fields of the missing lines keep their values.
  const std::string short_file = dir.file("short.mes");
  write_file_bytes(short_file,
                   FileBytes()
                       .header("01/01/1999 - 00:00:00\n", "Measure\nOrvadW 10\n4278058235\n5\n")
                       .record({1}, 1)
                       .bytes());
  h.serial_year = 77;
  h.software_version = "10-11-01";
  ASSERT_EQ(session.read_identification(short_file, h), 0);
  EXPECT_EQ(h.line_count, 4);
  EXPECT_EQ(h.serial_week, 5);
  EXPECT_EQ(h.serial_year, 77);
  EXPECT_EQ(h.save_time.year(), 1999);
  EXPECT_EQ(checked_versions.back(), "10-11-01");

  // A file without records.
  const std::string empty = dir.file("empty.mes");
  write_file_bytes(empty, FileBytes().header("01/01/2001 - 00:00:00\n", "t\n").bytes());
  EXPECT_EQ(session.read_identification(empty, h), -1);
  ASSERT_EQ(shown.size(), 1U);
  EXPECT_EQ(shown.back().message, "Incorrect File");

  // Refused firmware: no identification applied.
  const std::string foreign = dir.file("foreign.eta");
  write_file_bytes(foreign,
                   FileBytes()
                       .header("01/01/2001 - 00:00:00\n", "t\nn\n1\n1\n1\n1\n09-11-00\nold\n")
                       .record({1, 2}, 1)
                       .bytes());
  applied.clear();
  EXPECT_EQ(session.read_identification(foreign, h), -1);
  EXPECT_EQ(checked_versions.back(), "09-11-00");
  EXPECT_TRUE(applied.empty());
  Bytes got;
  std::string path = foreign;
  session.close_file();
  EXPECT_EQ(session.load_record(path, 0, 1, got), -1);

  // Garbage and a missing file.
  const std::string garbage = dir.file("g.eta");
  write_file_bytes(garbage, Bytes(100, 0x41));
  EXPECT_EQ(session.read_identification(garbage, h), -1);
  EXPECT_EQ(shown.back().message, "Incorrect File");
  EXPECT_FALSE(session.is_open());
  EXPECT_EQ(session.read_identification(dir.file("none.eta"), h), -1);
  EXPECT_EQ(shown.back().message, file_error_message(ENOENT, kEnglish));
}

}  // namespace
}  // namespace orvadw
