#include "base/replacement_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/file_contents.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

using test::AtFileSizeLimit;
using test::read_file;
using test::TempDir;
using test::write_file;

std::vector<std::string> names_in(const std::string& folder) {
  std::vector<std::string> out;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    out.push_back(entry.path().filename().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST(ReplacementFileTest, AFailedOrKilledWriteLeavesTheOldFileWhole) {
  TempDir dir;
  const std::string target = dir.file("default.OrvadW10");
  const std::string old_content = "[Com]\nPort=2.000000\n";
  ASSERT_TRUE(write_file(target, old_content));
  const std::string bigger(20000, 'x');

  // The disk fills up half-way: the save says so, and nothing is left behind.
  const test::ChildEnd failed =
      test::run_with_file_size_limit(4096, AtFileSizeLimit::kWriteFails, [&] {
        int error = 0;
        const int rc = replace_file_contents(target, bigger, &error);
        return rc == -1 && error == EFBIG ? 0 : 1;
      });
  EXPECT_EQ(failed.signal, 0);
  EXPECT_EQ(failed.exit_code, 0) << "the save must fail with EFBIG";
  EXPECT_EQ(read_file(target), old_content);
  EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"default.OrvadW10"});

  // The process dies in the middle of the write.
  const test::ChildEnd killed =
      test::run_with_file_size_limit(4096, AtFileSizeLimit::kProcessDies, [&] {
        replace_file_contents(target, bigger);
        return 0;
      });
  EXPECT_EQ(killed.signal, SIGXFSZ);
  EXPECT_EQ(read_file(target), old_content);

  // Once there is room again the file is replaced whole.
  ASSERT_EQ(replace_file_contents(target, bigger), 0);
  EXPECT_EQ(read_file(target), bigger);
}

TEST(ReplacementFileTest, KeepsTheModeAndWritesThroughALink) {
  TempDir dir;
  const std::string target = dir.file("real.cfg");
  const std::string link = dir.file("link.cfg");
  ASSERT_TRUE(write_file(target, "old"));
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  ASSERT_EQ(::symlink("real.cfg", link.c_str()), 0);

  ASSERT_EQ(replace_file_contents(link, "new"), 0);
  struct stat st {};
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link must stay a link";
  EXPECT_EQ(read_file(target), "new");
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640U);

  // A link to a file that does not exist yet creates that file.
  const std::string dangling = dir.file("dangling.cfg");
  ASSERT_EQ(::symlink("later.cfg", dangling.c_str()), 0);
  ASSERT_EQ(replace_file_contents(dangling, "first"), 0);
  EXPECT_EQ(read_file(dir.file("later.cfg")), "first");

  // Nothing is ever written over a folder.
  const std::string folder = dir.file("folder");
  std::filesystem::create_directory(folder);
  int error = 0;
  EXPECT_EQ(replace_file_contents(folder, "x", &error), -1);
  EXPECT_EQ(error, EISDIR);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(ReplacementFileTest, CopiesExactlyAndNeverOntoItself) {
  TempDir dir;
  const std::string source = dir.file("a.OrvadW10");
  const std::string target = dir.file("b.OrvadW10");
  std::string binary;
  for (int i = 0; i < 200000; ++i) binary.push_back(static_cast<char>((i * 7) & 0xFF));
  ASSERT_TRUE(write_file(source, binary));
  ASSERT_TRUE(write_file(target, "previous"));

  ASSERT_EQ(copy_file_replacing(source, target), 0);
  EXPECT_EQ(read_file(target), binary);

  int error = 0;
  EXPECT_EQ(copy_file_replacing(source, source, &error), -1);
  EXPECT_EQ(error, EINVAL);
  const std::string alias = dir.file("alias");
  ASSERT_EQ(::symlink(source.c_str(), alias.c_str()), 0);
  EXPECT_EQ(copy_file_replacing(source, alias, &error), -1);
  EXPECT_EQ(read_file(source), binary);

  EXPECT_EQ(copy_file_replacing(dir.file("missing"), target, &error), -1);
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(read_file(target), binary);
}

}  // namespace
}  // namespace orvadw
