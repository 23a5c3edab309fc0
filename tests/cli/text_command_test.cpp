#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/text_table.h"
#include "cli/cli_command.h"
#include "support/cli_run.h"

namespace orvadw::cli {
namespace {

using test::capture_cli;
using test::CliRun;

TEST(TextCommand, PrintsTheStoredTextWithoutALineEnd) {
  CliRun r = capture_cli({"text", "74"});  // French unless told
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Erreur");
  EXPECT_EQ(r.err, "");

  r = capture_cli({"text", "74", "--language", "4"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Fehler");

  // The option may come first, and global options before the command still work.
  r = capture_cli({"--jbus", "3", "text", "--language", "2", "23", "13"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Asbestos");

  // Line breaks and trailing blanks come out byte for byte.
  r = capture_cli({"text", "246", "--language", "2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Please wait!\r\n Connexion to the unit in progress! ");
  r = capture_cli({"text", "37", "0", "--language", "0x4"});
  EXPECT_EQ(r.out, "Fliessgeschwindigkeit ");

  // UTF-8, as the program holds its texts.
  r = capture_cli({"text", "140", "--language", "4"});
  EXPECT_EQ(r.out, "&\xC3\x96" "ffnen");
}

TEST(TextCommand, EveryTextMatchesTheTable) {
  for (int language = 1; language <= 4; ++language) {
    for (int id : {1, 17, 24, 76, 109, 247}) {
      const std::vector<std::string> items = text_list(id, language);
      for (std::size_t i = 0; i < items.size(); ++i) {
        const CliRun r = capture_cli({"text", std::to_string(id), std::to_string(i), "--language",
                                      std::to_string(language)});
        EXPECT_EQ(r.status, 0) << id << "/" << i << "/" << language;
        EXPECT_EQ(r.out, items[i]) << id << "/" << i << "/" << language;
      }
    }
  }
}

TEST(TextCommand, EmptyTextPrintsNothingAndSucceeds) {
  const CliRun r = capture_cli({"text", "17", "0", "--language", "3"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

TEST(TextCommand, MissingTextsAreReportedNotPrintedAsEmpty) {
  for (const char* id : {"0", "38", "248", "999999"}) {
    const CliRun r = capture_cli({"text", id});
    EXPECT_EQ(r.status, 1) << id;
    EXPECT_EQ(r.out, "") << id;
    EXPECT_NE(r.err.find("no text has id"), std::string::npos) << id << ": " << r.err;
  }
  const CliRun r = capture_cli({"text", "23", "14", "--language", "2"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("14 items"), std::string::npos) << r.err;
}

TEST(TextCommand, BadArgumentsGiveUsageAndNoOutput) {
  const std::vector<std::vector<std::string>> bad = {
      {"text"},
      {"text", "abc"},
      {"text", "-1"},
      {"text", "74", "x"},
      {"text", "74", "-2"},
      {"text", "1", "2", "3"},
      {"text", "74", "--language"},
      {"text", "74", "--language", "5"},
      {"text", "74", "--language", "0"},
      {"text", "74", "--language", "fr"},
      {"text", "74", "--lang", "2"},
      {"text", "99999999999999999999"},
  };
  for (const auto& args : bad) {
    const CliRun r = capture_cli(args);
    std::string shown;
    for (const auto& a : args) shown += a + " ";
    EXPECT_EQ(r.status, 2) << shown;
    EXPECT_EQ(r.out, "") << shown;
    EXPECT_FALSE(r.err.empty()) << shown;
  }
}

TEST(TextCommand, IsListedWithItsUsage) {
  const CliCommand* command = find_command("text");
  ASSERT_NE(command, nullptr);
  EXPECT_NE(command->usage.find("--language 1-4"), std::string::npos);
  EXPECT_NE(command->summary.find("French"), std::string::npos);
}

}  // namespace
}  // namespace orvadw::cli
