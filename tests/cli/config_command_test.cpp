#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/process_locale.h"
#include "support/cli_run.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_dir.h"

namespace orvadw::cli {
namespace {

using test::capture_cli;
using test::CliRun;

class ConfigCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(temp_.valid()); }

  std::string content() { return test::read_file(path_); }

  test::TempDir temp_{"orvadw_cli_conf"};
  std::string dir_ = temp_.path();
  std::string path_ = temp_.file("site.OrvadW10");
};

TEST_F(ConfigCommandTest, SetThenGetTextAndNumbers) {
  EXPECT_EQ(
      capture_cli({"config", "--file", path_, "set", "Modem", "Telefon number", "0102 03"}).status,
      0);
  EXPECT_EQ(capture_cli({"config", "--file", path_, "--number", "set", "Com", "Bauds", "5"}).status,
            0);
  EXPECT_EQ(
      capture_cli({"config", "--file", path_, "set", "Com", "Port", "-2.5", "--number"}).status, 0);
  EXPECT_EQ(content(), "[Modem]\nTelefon number=0102 03\n[Com]\nBauds=5.000000\nPort=-2.500000\n");

  CliRun text = capture_cli({"config", "--file", path_, "get", "modem", "TELEFON NUMBER"});
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.out, "0102 03\n");
  CliRun as_text = capture_cli({"config", "--file", path_, "get", "Com", "Bauds"});
  EXPECT_EQ(as_text.out, "5.000000\n");
  CliRun number = capture_cli({"config", "--file", path_, "get", "Com", "Port", "--number"});
  EXPECT_EQ(number.status, 0);
  EXPECT_EQ(number.out, "-2.500000\n");
  // Numbers of a text value follow atof: "0102 03" is 102.
  EXPECT_EQ(
      capture_cli({"config", "--file", path_, "--number", "get", "Modem", "Telefon number"}).out,
      "102.000000\n");
  // The global --config option names the file too.
  EXPECT_EQ(capture_cli({"--config", path_, "config", "get", "Com", "Bauds"}).out, "5.000000\n");
}

TEST_F(ConfigCommandTest, MissingKeysAndBadInput) {
  CliRun missing = capture_cli({"config", "--file", path_, "get", "Com", "JBus"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("JBus"), std::string::npos);
  CliRun missing_number =
      capture_cli({"config", "--file", path_, "--number", "get", "Com", "JBus"});
  EXPECT_EQ(missing_number.status, 0);
  EXPECT_EQ(missing_number.out, "0.000000\n");

  EXPECT_EQ(
      capture_cli({"config", "--file", path_, "--number", "set", "Com", "Port", "2,5"}).status, 2);
  EXPECT_EQ(
      capture_cli({"config", "--file", path_, "--number", "set", "Com", "Port", "nan"}).status, 2);
  EXPECT_EQ(capture_cli({"config", "--file", path_, "--number", "set", "Com", "Port", ""}).status,
            2);
  EXPECT_EQ(capture_cli({"config", "--file", path_, "get", "Com"}).status, 2);
  EXPECT_EQ(capture_cli({"config", "--file", path_, "remove", "Com", "Port"}).status, 2);
  EXPECT_EQ(capture_cli({"config", "get", "Com", "Port"}).status, 2);  // no file
  EXPECT_EQ(capture_cli({"config", "--file"}).status, 2);
  // Nothing was written by the refused commands.
  EXPECT_EQ(::access(path_.c_str(), F_OK), -1);

  CliRun unwritable =
      capture_cli({"config", "--file", dir_ + "/no/dir/x.cfg", "set", "A", "b", "c"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_FALSE(unwritable.err.empty());
  EXPECT_EQ(capture_cli({"config", "--file", path_, "set", "A", "b", "two\nlines"}).status, 1);
}

TEST_F(ConfigCommandTest, NumbersStayInCLocaleUnderFrenchLocale) {
  CliRun set;
  CliRun get;
  {
    test::ProcessLocale french("fr_FR.UTF-8");
    if (!french.ok()) {
      GTEST_SKIP() << "locale fr_FR.UTF-8 is not generated (scripts/setup.sh generates it)";
    }
    set = capture_cli(
        {"config", "--file", path_, "--number", "set", "File Save", "Sample Record Time", "2.5"});
    get = capture_cli(
        {"config", "--file", path_, "--number", "get", "File Save", "Sample Record Time"});
  }
  EXPECT_EQ(set.status, 0);
  EXPECT_EQ(get.out, "2.500000\n");
  EXPECT_EQ(content(), "[File Save]\nSample Record Time=2.500000\n");
}

}  // namespace
}  // namespace orvadw::cli
