#include "files/configuration.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "base/ini_file.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

class ConfigurationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.valid());
    ASSERT_EQ(::mkdir(home_.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(bin_.c_str(), 0755), 0);
  }

  static void write_file(const std::string& path, const std::string& content, mode_t mode = 0644) {
    test::write_file(path, content);
    ::chmod(path.c_str(), mode);
  }
  static std::string value(const std::string& file, const char* section, const char* key) {
    return IniFile(file).read(section, key).value_or("<missing>");
  }
  // A program started in home_ with only bin_ on the search path.
  void start(Configuration& c) {
    c.set_program_folder(home_);
    c.set_search_path(bin_);
  }

  test::TempDir temp_{"orvadw_conf"};
  std::string root_ = temp_.path();
  std::string home_ = root_ + "/home/";
  std::string bin_ = root_ + "/bin";
};

// The default file's name does not wait for a configuration to be loaded.
TEST_F(ConfigurationTest, DefaultPathIsKnownBeforeLoading) {
  Configuration c(home_);
  EXPECT_EQ(c.configuration_extension(), "OrvadW10");
  EXPECT_EQ(c.default_configuration_path(), home_ + "default.OrvadW10");
  EXPECT_EQ(c.configuration_path(), "");
}

TEST_F(ConfigurationTest, FirstRunInEmptyProgramFolder) {
  write_file(bin_ + "/soffice", "#!/bin/sh\n", 0755);
  Configuration c;
  start(c);
  ASSERT_EQ(c.load_configuration(), 0);
  const std::string def = home_ + "default.OrvadW10";
  EXPECT_EQ(c.program_folder(), home_);
  EXPECT_EQ(c.configuration_extension(), "OrvadW10");
  EXPECT_EQ(c.configuration_path(), def);
  EXPECT_EQ(c.default_configuration_path(), def);
  EXPECT_EQ(value(def, "Test", "Test"), "Ok");
  EXPECT_EQ(value(def, "Spreadsheet", "Path Spreadsheet"), bin_ + "/soffice");
  EXPECT_EQ(c.spreadsheet_program(), bin_ + "/soffice");
  EXPECT_EQ(value(home_ + "last.cfg", "LastConfig", "LastConfig"), def);
  EXPECT_EQ(value(home_ + "last.cfg", "Logo", "Logo"), "<missing>");
  EXPECT_FALSE(c.logo_available());
  EXPECT_TRUE(test::is_directory(home_ + "Data"));
  EXPECT_EQ(c.last_folder(), home_ + "Data/");
  // Nothing but what a first run leaves.
  EXPECT_EQ(value(def, "File Save", "Path File Save"), "<missing>");

  // The next start finds Test set: the saved folder is used and Data is not
  // created again.
  c.set_last_folder(root_ + "/measurements/");
  ASSERT_EQ(c.save_last_folder(), 0);
  EXPECT_EQ(value(def, "File Save", "Path File Save"), root_ + "/measurements/");
  ASSERT_EQ(::rmdir((home_ + "Data").c_str()), 0);
  Configuration again;
  start(again);
  ASSERT_EQ(again.load_configuration(), 0);
  EXPECT_EQ(again.configuration_path(), def);
  EXPECT_EQ(again.last_folder(), root_ + "/measurements/");
  EXPECT_FALSE(test::is_directory(home_ + "Data"));
}

TEST_F(ConfigurationTest, LaterStartWithoutSavedFolderUsesDataFolderWithoutCreatingIt) {
  write_file(home_ + "default.OrvadW10", "[Test]\nTest=Ok\n");
  Configuration c;
  start(c);
  ASSERT_EQ(c.load_configuration(), 0);
  EXPECT_EQ(c.last_folder(), home_ + "Data/");
  EXPECT_FALSE(test::is_directory(home_ + "Data"));
}

TEST_F(ConfigurationTest, HandedOverPathIsUsedRecordedAndKeptForLaterStarts) {
  const std::string site = root_ + "/site.OrvadW10";
  write_file(site, "[Com]\nPort=2.000000\n[Test]\nTest=Ok\n[File Save]\nPath File Save=/srv/data/\n");
  {
    Configuration c;
    start(c);
    ASSERT_EQ(c.load_configuration(site), 0);
    EXPECT_EQ(c.configuration_path(), site);
    EXPECT_EQ(c.last_folder(), "/srv/data/");
    EXPECT_EQ(value(home_ + "last.cfg", "LastConfig", "LastConfig"), site);
    EXPECT_EQ(value(site, "Com", "Port"), "2.000000");  // untouched
    EXPECT_FALSE(test::is_directory(home_ + "Data"));
  }
  {
    Configuration c;  // no command line: last.cfg names the file
    start(c);
    ASSERT_EQ(c.load_configuration(), 0);
    EXPECT_EQ(c.configuration_path(), site);
  }
}

TEST_F(ConfigurationTest, RelativeHandedOverPathIsRecordedAsFullPath) {
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(::chdir(root_.c_str()), 0);
  Configuration c;
  start(c);
  int result = c.load_configuration("relative.OrvadW10");
  ASSERT_EQ(::chdir(cwd), 0);
  ASSERT_EQ(result, 0);
  EXPECT_EQ(c.configuration_path(), root_ + "/relative.OrvadW10");
  EXPECT_EQ(value(home_ + "last.cfg", "LastConfig", "LastConfig"), root_ + "/relative.OrvadW10");
  EXPECT_EQ(value(root_ + "/relative.OrvadW10", "Test", "Test"), "Ok");
}

TEST_F(ConfigurationTest, LogoFoundOnceIsRememberedAfterTheFileIsGone) {
  write_file(home_ + "logo.bmp", "BM");
  {
    Configuration c;
    start(c);
    c.load_configuration();
    EXPECT_TRUE(c.logo_available());
    EXPECT_EQ(value(home_ + "last.cfg", "Logo", "Logo"), "Y");
  }
  ASSERT_EQ(::unlink((home_ + "logo.bmp").c_str()), 0);
  Configuration c;
  start(c);
  c.load_configuration();
  EXPECT_TRUE(c.logo_available());
}

TEST_F(ConfigurationTest, SpreadsheetProgramResolution) {
  // Search order is by program name first, then by folder; files that cannot
  // be run and relative folders do not count.
  std::string other = root_ + "/other";
  ASSERT_EQ(::mkdir(other.c_str(), 0755), 0);
  write_file(bin_ + "/soffice", "#!/bin/sh\n", 0755);
  write_file(other + "/localc", "#!/bin/sh\n", 0755);
  write_file(bin_ + "/localc", "not runnable", 0644);
  EXPECT_EQ(Configuration::find_spreadsheet_program(bin_ + ":" + other), other + "/localc");
  EXPECT_EQ(Configuration::find_spreadsheet_program(bin_), bin_ + "/soffice");
  EXPECT_EQ(Configuration::find_spreadsheet_program(""), "");
  EXPECT_EQ(Configuration::find_spreadsheet_program("::relative"), "");

  const std::string def = home_ + "default.OrvadW10";
  auto run = [&](const std::string& stored, const std::string& search) {
    write_file(def, "[Test]\nTest=Ok\n[Spreadsheet]\nPath Spreadsheet=" + stored + "\n");
    Configuration c;
    c.set_program_folder(home_);
    c.set_search_path(search);
    c.load_configuration();
    EXPECT_EQ(value(def, "Spreadsheet", "Path Spreadsheet"), c.spreadsheet_program());
    return c.spreadsheet_program();
  };
  EXPECT_EQ(run("EXCEL.EXE", bin_), bin_ + "/soffice");
  EXPECT_EQ(run("TartempionExcel.exe", other), other + "/localc");
  EXPECT_EQ(run("EXCEL.EXE", root_ + "/nothing"), "");
  EXPECT_EQ(run("", bin_), bin_ + "/soffice");
  // A program the user chose is kept exactly, case included.
  EXPECT_EQ(run("/opt/Calc/MyCalc", bin_), "/opt/Calc/MyCalc");
}

TEST_F(ConfigurationTest, UnwritableConfigurationFallsBackToDefault) {
  const std::string def = home_ + "default.OrvadW10";
  write_file(def, "[Test]\nTest=Ok\n[File Save]\nPath File Save=/from/default/\n");
  for (const std::string& bad : {root_ + "/no/such/dir/site.OrvadW10", root_ + "/bin"}) {
    Configuration c;
    start(c);
    EXPECT_EQ(c.load_configuration(bad), 0) << bad;
    EXPECT_EQ(c.configuration_path(), def) << bad;
    EXPECT_EQ(value(home_ + "last.cfg", "LastConfig", "LastConfig"), def) << bad;
    // The settings in use are the default file's.
    EXPECT_EQ(c.last_folder(), "/from/default/");
  }
  EXPECT_FALSE(test::is_directory(root_ + "/no"));
}

TEST_F(ConfigurationTest, LastConfigNamingVanishedFolderFallsBackToDefault) {
  write_file(home_ + "last.cfg", "[LastConfig]\nLastConfig=" + root_ + "/gone/site.OrvadW10\n");
  Configuration c;
  start(c);
  ASSERT_EQ(c.load_configuration(), 0);
  EXPECT_EQ(c.configuration_path(), home_ + "default.OrvadW10");
  EXPECT_EQ(value(home_ + "default.OrvadW10", "Test", "Test"), "Ok");
  EXPECT_EQ(value(home_ + "last.cfg", "LastConfig", "LastConfig"), home_ + "default.OrvadW10");
}

TEST_F(ConfigurationTest, NothingWritableReportsFailure) {
  Configuration c(root_ + "/missing/program");
  c.set_search_path(bin_);
  EXPECT_EQ(c.load_configuration(), -1);
  EXPECT_EQ(c.program_folder(), root_ + "/missing/program/");
  EXPECT_EQ(c.configuration_path(), root_ + "/missing/program/default.OrvadW10");
  EXPECT_FALSE(c.logo_available());
}

TEST_F(ConfigurationTest, UseModemSwitch) {
  const std::string def = home_ + "default.OrvadW10";
  auto use_modem = [&](const std::string& line) {
    write_file(def, "[Test]\nTest=Ok\n[Modem]\n" + line + "\n");
    Configuration c;
    start(c);
    c.set_use_modem(true);
    c.load_configuration();
    c.read_switches();
    return c.use_modem();
  };
  EXPECT_TRUE(use_modem("Use modem=0.000000"));
  EXPECT_TRUE(use_modem("use MODEM = 0"));
  EXPECT_TRUE(use_modem("Use modem=0.9"));  // integers are truncated
  EXPECT_FALSE(use_modem("Use modem=1.000000"));
  EXPECT_FALSE(use_modem("Use modem=2"));
  EXPECT_FALSE(use_modem("Use modem=-1"));
  EXPECT_FALSE(use_modem("Other=0"));  // missing: default 1, off
}

TEST_F(ConfigurationTest, ModemConnectedFlagAndSaveBeforeLoad) {
  Configuration c(home_);
  EXPECT_FALSE(c.modem_connected());
  c.set_modem_connected(true);
  EXPECT_TRUE(c.modem_connected());
  EXPECT_EQ(c.save_last_folder(), -1);  // no configuration yet
}

}  // namespace
}  // namespace orvadw
