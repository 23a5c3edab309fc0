#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_command.h"

namespace orvadw::cli {
namespace {

struct ConfigRun {
  int status;
  std::string out;
  std::string err;
};

class ConfigCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/orvadw_cli_conf_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_ = dir_ + "/site.OrvadW10";
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  ConfigRun run(std::vector<std::string> arguments) {
    std::ostringstream out;
    std::ostringstream err;
    int status = run_cli(arguments, out, err);
    return {status, out.str(), err.str()};
  }
  std::string content() {
    std::ifstream f(path_, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }

  std::string dir_;
  std::string path_;
};

TEST_F(ConfigCommandTest, SetThenGetTextAndNumbers) {
  EXPECT_EQ(run({"config", "--file", path_, "set", "Modem", "Telefon number", "0102 03"}).status, 0);
  EXPECT_EQ(run({"config", "--file", path_, "--number", "set", "Com", "Bauds", "5"}).status, 0);
  EXPECT_EQ(run({"config", "--file", path_, "set", "Com", "Port", "-2.5", "--number"}).status, 0);
  EXPECT_EQ(content(), "[Modem]\nTelefon number=0102 03\n[Com]\nBauds=5.000000\nPort=-2.500000\n");

  ConfigRun text = run({"config", "--file", path_, "get", "modem", "TELEFON NUMBER"});
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.out, "0102 03\n");
  ConfigRun as_text = run({"config", "--file", path_, "get", "Com", "Bauds"});
  EXPECT_EQ(as_text.out, "5.000000\n");
  ConfigRun number = run({"config", "--file", path_, "get", "Com", "Port", "--number"});
  EXPECT_EQ(number.status, 0);
  EXPECT_EQ(number.out, "-2.500000\n");
  // Numbers of a text value follow atof: "0102 03" is 102.
  EXPECT_EQ(run({"config", "--file", path_, "--number", "get", "Modem", "Telefon number"}).out,
            "102.000000\n");
  // The global --config option names the file too.
  EXPECT_EQ(run({"--config", path_, "config", "get", "Com", "Bauds"}).out, "5.000000\n");
}

TEST_F(ConfigCommandTest, MissingKeysAndBadInput) {
  ConfigRun missing = run({"config", "--file", path_, "get", "Com", "JBus"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("JBus"), std::string::npos);
  ConfigRun missing_number = run({"config", "--file", path_, "--number", "get", "Com", "JBus"});
  EXPECT_EQ(missing_number.status, 0);
  EXPECT_EQ(missing_number.out, "0.000000\n");

  EXPECT_EQ(run({"config", "--file", path_, "--number", "set", "Com", "Port", "2,5"}).status, 2);
  EXPECT_EQ(run({"config", "--file", path_, "--number", "set", "Com", "Port", "nan"}).status, 2);
  EXPECT_EQ(run({"config", "--file", path_, "--number", "set", "Com", "Port", ""}).status, 2);
  EXPECT_EQ(run({"config", "--file", path_, "get", "Com"}).status, 2);
  EXPECT_EQ(run({"config", "--file", path_, "remove", "Com", "Port"}).status, 2);
  EXPECT_EQ(run({"config", "get", "Com", "Port"}).status, 2);  // no file
  EXPECT_EQ(run({"config", "--file"}).status, 2);
  // Nothing was written by the refused commands.
  EXPECT_EQ(::access(path_.c_str(), F_OK), -1);

  ConfigRun unwritable = run({"config", "--file", dir_ + "/no/dir/x.cfg", "set", "A", "b", "c"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_FALSE(unwritable.err.empty());
  EXPECT_EQ(run({"config", "--file", path_, "set", "A", "b", "two\nlines"}).status, 1);
}

TEST_F(ConfigCommandTest, NumbersStayInCLocaleUnderFrenchLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  std::string previous = old != nullptr ? old : "C";
  if (std::setlocale(LC_ALL, "fr_FR.UTF-8") == nullptr) {
    GTEST_SKIP() << "locale fr_FR.UTF-8 is not generated (scripts/setup.sh generates it)";
  }
  ConfigRun set = run({"config", "--file", path_, "--number", "set", "File Save", "Sample Record Time", "2.5"});
  ConfigRun get = run({"config", "--file", path_, "--number", "get", "File Save", "Sample Record Time"});
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(set.status, 0);
  EXPECT_EQ(get.out, "2.500000\n");
  EXPECT_EQ(content(), "[File Save]\nSample Record Time=2.500000\n");
}

}  // namespace
}  // namespace orvadw::cli
