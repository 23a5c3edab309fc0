#include "base/ini_file.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/file_contents.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(temp_.valid()); }

  void put(const std::string& content, const std::string& path = {}) {
    test::write_file(path.empty() ? path_ : path, content);
  }
  std::string get(const std::string& path = {}) {
    return test::read_file(path.empty() ? path_ : path);
  }
  std::vector<std::string> entries() {
    std::vector<std::string> out;
    DIR* d = ::opendir(dir_.c_str());
    while (dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") out.push_back(n);
    }
    ::closedir(d);
    return out;
  }

  test::TempDir temp_{"orvadw_ini"};
  std::string dir_ = temp_.path();
  std::string path_ = temp_.file("test.ini");
};

TEST_F(IniFileTest, ReadsSectionsAndKeysWithoutRegardToCaseAndTrimsValues) {
  put("; leading comment\n"
      "[Com]\n"
      "  PORT =   2.000000  \n"
      "bauds=5\n"
      "[ Modem ]\n"
      "Telefon number = 0123 456 \n"
      "Empty=\n");
  IniFile ini(path_);
  EXPECT_EQ(ini.read("com", "Port"), "2.000000");
  EXPECT_EQ(ini.read("COM", "BAUDS"), "5");
  EXPECT_EQ(ini.read("modem", "telefon number"), "0123 456");
  EXPECT_EQ(ini.read("Modem", "Empty"), "");
  EXPECT_EQ(ini.read("Modem", "Port"), std::nullopt);  // keys belong to their section
  EXPECT_EQ(ini.read("Missing", "Port"), std::nullopt);
  EXPECT_EQ(ini.read("Com", "; leading comment"), std::nullopt);
  EXPECT_EQ(ini.read_text("Com", "JBus", "dflt"), "dflt");
  EXPECT_EQ(ini.read_text("Com", "Port", "dflt"), "2.000000");
}

TEST_F(IniFileTest, OnePairOfMatchingQuotesAroundAValueIsDropped) {
  put("[Modem]\n"
      "a = \"AT&F E0\"\n"
      "b='x'\n"
      "c=\"\"quoted\"\"\n"
      "d=\"half\n"
      "e=\"mixed'\n"
      "f=\"\n"
      "g=\"\"\n"
      "h=in \"the\" middle\n"
      "[Ports]\n"
      "COM1=\"/dev/ttyUSB0\"\n");
  IniFile ini(path_);
  EXPECT_EQ(ini.read("Modem", "a"), "AT&F E0");
  EXPECT_EQ(ini.read("Modem", "b"), "x");
  EXPECT_EQ(ini.read("Modem", "c"), "\"quoted\"");  // one pair only
  EXPECT_EQ(ini.read("Modem", "d"), "\"half");
  EXPECT_EQ(ini.read("Modem", "e"), "\"mixed'");
  EXPECT_EQ(ini.read("Modem", "f"), "\"");
  EXPECT_EQ(ini.read("Modem", "g"), "");
  EXPECT_EQ(ini.read("Modem", "h"), "in \"the\" middle");
  // The port map reads its keys in one go: the same rule.
  EXPECT_EQ(ini.entries("Ports"),
            (std::vector<std::pair<std::string, std::string>>{{"COM1", "/dev/ttyUSB0"}}));
}

TEST_F(IniFileTest, CrLfAndLfBothReadAndFirstOccurrenceWins) {
  put("\xEF\xBB\xBF[A]\r\nx=1\r\nx=2\r\n[B]\r\ny=3\r\n[a]\r\nz=4\r\n");
  IniFile ini(path_);
  EXPECT_EQ(ini.read("A", "x"), "1");
  EXPECT_EQ(ini.read("B", "y"), "3");
  // Like the platform functions, only the first section of a name is searched.
  EXPECT_EQ(ini.read("A", "z"), std::nullopt);
  EXPECT_EQ(ini.keys("a"), (std::vector<std::string>{"x", "x"}));
}

TEST_F(IniFileTest, MissingUnreadableOrDirectoryPathReadsAsEmpty) {
  IniFile missing(dir_ + "/nope.ini");
  EXPECT_EQ(missing.read("A", "b"), std::nullopt);
  EXPECT_TRUE(missing.keys("A").empty());
  IniFile directory(dir_);
  EXPECT_EQ(directory.read("A", "b"), std::nullopt);
  EXPECT_EQ(directory.write_text("A", "b", "c"), -1);
  IniFile none;
  EXPECT_EQ(none.read("A", "b"), std::nullopt);
  EXPECT_EQ(none.write_text("A", "b", "c"), -1);
}

TEST_F(IniFileTest, ValuesAreCutAt999Characters) {
  std::string long_value(1500, 'v');
  // A multi-byte character across the limit is not split.
  std::string accented = std::string(998, 'a') + "\xC3\xA9\xC3\xA9";
  put("[S]\nlong=" + long_value + "\naccented=" + accented + "\n");
  IniFile ini(path_);
  EXPECT_EQ(ini.read("S", "long"), std::string(999, 'v'));
  EXPECT_EQ(ini.read("S", "accented"), std::string(998, 'a') + "\xC3\xA9");
}

TEST_F(IniFileTest, FirstWriteCreatesFileSectionAndKeyWithLf) {
  IniFile ini(path_);
  ASSERT_EQ(ini.write_text("Test", "Test", "Ok"), 0);
  ASSERT_EQ(ini.write_text("Com", "Port", "2.000000"), 0);
  ASSERT_EQ(ini.write_text("Test", "Other", "x"), 0);
  EXPECT_EQ(get(), "[Test]\nTest=Ok\nOther=x\n[Com]\nPort=2.000000\n");
  EXPECT_EQ(ini.read("test", "test"), "Ok");
}

TEST_F(IniFileTest, WriteKeepsHandEditsLineOrderSpacingAndLineEndings) {
  put("; my settings\r\n"
      "[COM]\r\n"
      "  PORT = 1\r\n"
      "; comment inside\r\n"
      "Bauds=5\r\n"
      "\r\n"
      "; about modem\r\n"
      "[Modem]\r\n"
      "Use modem=1");  // last line without terminator
  IniFile ini(path_);
  ASSERT_EQ(ini.write_text("Com", "Port", "3.000000"), 0);
  ASSERT_EQ(ini.write_text("com", "JBus", "7"), 0);
  ASSERT_EQ(ini.write_text("Modem", "Numerotation", "1"), 0);
  ASSERT_EQ(ini.write_text("New", "K", "v"), 0);
  EXPECT_EQ(get(),
            "; my settings\r\n"
            "[COM]\r\n"
            "  PORT = 3.000000\r\n"
            "; comment inside\r\n"
            "Bauds=5\r\n"
            "JBus=7\r\n"
            "\r\n"
            "; about modem\r\n"
            "[Modem]\r\n"
            "Use modem=1\r\n"
            "Numerotation=1\r\n"
            "[New]\r\n"
            "K=v\r\n");
  EXPECT_EQ(ini.read("Com", "Port"), "3.000000");
  EXPECT_EQ(ini.read("Com", "JBus"), "7");
}

TEST_F(IniFileTest, KeyInEmptySectionGoesRightAfterItsHeader) {
  put("[A]\n\n[B]\nx=1\n");
  IniFile ini(path_);
  ASSERT_EQ(ini.write_text("A", "k", "v"), 0);
  EXPECT_EQ(get(), "[A]\nk=v\n\n[B]\nx=1\n");
}

TEST_F(IniFileTest, KeysEndingInEqualsRoundTrip) {
  IniFile ini(path_);
  ASSERT_EQ(ini.write_text("Placement", "Rect Wnd Top = ", "-50.000000"), 0);
  ASSERT_EQ(ini.write_text("Placement", "Rect Wnd Left = ", "12.000000"), 0);
  EXPECT_EQ(get(), "[Placement]\nRect Wnd Top = =-50.000000\nRect Wnd Left = =12.000000\n");
  EXPECT_EQ(ini.read("Placement", "Rect Wnd Top = "), "-50.000000");
  EXPECT_EQ(ini.read("placement", "rect wnd left = "), "12.000000");
  // Rewriting replaces the line instead of adding one per save.
  ASSERT_EQ(ini.write_text("Placement", "Rect Wnd Top = ", "7.000000"), 0);
  EXPECT_EQ(get(), "[Placement]\nRect Wnd Top = =7.000000\nRect Wnd Left = =12.000000\n");
  // A key that is only a prefix of another one does not pick up its value.
  EXPECT_EQ(ini.read("Placement", "Rect Wnd"), std::nullopt);
  EXPECT_EQ(ini.read("Placement", "Rect Wnd Top = x"), std::nullopt);
}

TEST_F(IniFileTest, SeveralKeysGoInOneRewriteAndAllOrNone) {
  put("; kept\r\n[Place]\r\nRect Wnd Top = =5\r\n[Other]\r\nx=1\r\n");
  IniFile ini(path_);
  struct stat before {};
  ASSERT_EQ(::stat(path_.c_str(), &before), 0);
  const std::vector<std::pair<std::string, std::string>> values{
      {"Rect Wnd Top = ", "-50"}, {"Rect Wnd CX = ", "300"}};
  ASSERT_EQ(ini.write_texts("place", values), 0);
  EXPECT_EQ(get(),
            "; kept\r\n[Place]\r\nRect Wnd Top = =-50\r\nRect Wnd CX = =300\r\n"
            "[Other]\r\nx=1\r\n");
  struct stat after {};
  ASSERT_EQ(::stat(path_.c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino) << "one atomic replacement";
  // One bad value refuses the whole batch and leaves the file as it was.
  const std::string unchanged = get();
  const std::vector<std::pair<std::string, std::string>> bad{{"a", "1"}, {"b", "two\nlines"}};
  EXPECT_EQ(ini.write_texts("Place", bad), -1);
  EXPECT_EQ(get(), unchanged);
  // The section reads back in one go, in file order.
  EXPECT_EQ(ini.entries("PLACE"),
            (std::vector<std::pair<std::string, std::string>>{{"Rect Wnd Top", "=-50"},
                                                               {"Rect Wnd CX", "=300"}}));
  EXPECT_EQ(ini.read("Place", "Rect Wnd CX = "), "300");
}

TEST_F(IniFileTest, RefusesNamesAndValuesThatWouldBreakTheFile) {
  put("[A]\nk=1\n");
  IniFile ini(path_);
  EXPECT_EQ(ini.write_text("A", "k", "2\n[B]\nx=evil"), -1);
  EXPECT_EQ(ini.write_text("A\n", "k", "2"), -1);
  EXPECT_EQ(ini.write_text("A", "k\r", "2"), -1);
  EXPECT_EQ(ini.write_text("A]", "k", "2"), -1);
  EXPECT_EQ(ini.write_text("", "k", "2"), -1);
  EXPECT_EQ(ini.write_text("A", "  ", "2"), -1);
  EXPECT_EQ(ini.write_text("A", "[B]", "2"), -1);
  EXPECT_EQ(get(), "[A]\nk=1\n");
}

TEST_F(IniFileTest, WriteReplacesFileAtomicallyKeepsModeAndLeavesNoTemporaryFile) {
  put("[A]\nk=1\n");
  ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
  struct stat before {};
  ASSERT_EQ(::stat(path_.c_str(), &before), 0);
  IniFile ini(path_);
  ASSERT_EQ(ini.write_text("A", "k", "2"), 0);
  struct stat after {};
  ASSERT_EQ(::stat(path_.c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);  // a new file renamed over the old one
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(entries(), std::vector<std::string>{"test.ini"});
  EXPECT_EQ(get(), "[A]\nk=2\n");
}

TEST_F(IniFileTest, FailedWriteLeavesNothingBehind) {
  IniFile in_missing_dir(dir_ + "/no/such/dir/x.ini");
  EXPECT_EQ(in_missing_dir.write_text("A", "k", "v"), -1);
  ASSERT_EQ(::mkdir((dir_ + "/sub").c_str(), 0755), 0);
  IniFile onto_directory(dir_ + "/sub");
  EXPECT_EQ(onto_directory.write_text("A", "k", "v"), -1);
  std::vector<std::string> e = entries();
  EXPECT_EQ(e, std::vector<std::string>{"sub"});
}

TEST_F(IniFileTest, WriteThroughSymlinkUpdatesTheTarget) {
  put("[A]\nk=1\n");
  std::string link = dir_ + "/link.ini";
  ASSERT_EQ(::symlink(path_.c_str(), link.c_str()), 0);
  IniFile ini(link);
  ASSERT_EQ(ini.write_text("A", "k", "2"), 0);
  struct stat st {};
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(get(), "[A]\nk=2\n");
}

TEST_F(IniFileTest, TwoObjectsOnOneFileDoNotLoseEachOthersWrites) {
  IniFile first(path_);
  IniFile second(path_);
  constexpr int kWrites = 40;
  std::thread a([&] {
    for (int i = 0; i < kWrites; ++i) first.write_text("A", "a" + std::to_string(i), "1");
  });
  std::thread b([&] {
    for (int i = 0; i < kWrites; ++i) second.write_text("B", "b" + std::to_string(i), "2");
  });
  a.join();
  b.join();
  EXPECT_EQ(first.keys("A").size(), static_cast<std::size_t>(kWrites));
  EXPECT_EQ(second.keys("B").size(), static_cast<std::size_t>(kWrites));
  for (int i = 0; i < kWrites; ++i) {
    EXPECT_EQ(second.read("A", "a" + std::to_string(i)), "1");
    EXPECT_EQ(first.read("B", "b" + std::to_string(i)), "2");
  }
}

TEST_F(IniFileTest, OversizedFileIsNeitherReadNorOverwritten) {
  {
    std::ofstream f(path_, std::ios::binary);
    f << "[A]\nk=1\n";
    f.seekp(20 * 1024 * 1024);
    f << "end";
  }
  IniFile ini(path_);
  EXPECT_EQ(ini.read("A", "k"), std::nullopt);
  EXPECT_EQ(ini.write_text("A", "k", "2"), -1);
  struct stat st {};
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_GT(st.st_size, 20 * 1024 * 1024);
}

}  // namespace
}  // namespace orvadw
