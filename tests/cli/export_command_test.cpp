// orvadw-cli export: the same bytes as the windows' export under the user's
// locale, and the spreadsheet started as the window starts it, seen by a
// stand-in program that writes down how it was called.
#include <gtest/gtest.h>

#include "base/text_table.h"
#include "files/settings_store.h"
#include "support/cli_run.h"
#include "tests/support/export_samples.h"
#include "tests/support/file_contents.h"
#include "tests/support/scoped_env.h"
#include "tests/support/stand_in_program.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_lines.h"

namespace orvadw::cli {
namespace {

using test::capture_cli;
using test::CliRun;
using test::ScopedEnv;

TEST(ExportCommand, WritesThePrnTextInTheUsersRegionalFormat) {
  test::TempDir dir;
  ASSERT_TRUE(test::write_measurement_file(dir.file("run.mes")));
  ASSERT_TRUE(test::write_logger_file(dir.file("events.log")));
  {
    ScopedEnv locale("LC_ALL", "fr_FR.UTF-8");
    const CliRun r =
        capture_cli({"export", dir.file("run.mes"), dir.file("fr.prn"), "--language", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "samples: 2\ntext: " + dir.file("fr.prn") + "\n");
    EXPECT_EQ(test::read_file(dir.file("fr.prn")), test::kMeasurementPrnFrench);
  }
  ScopedEnv locale("LC_ALL", "en_GB.UTF-8");
  CliRun r = capture_cli({"export", dir.file("run.mes"), dir.file("en.prn")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::read_file(dir.file("en.prn")), test::kMeasurementPrnEnglish);
  r = capture_cli({"export", dir.file("events.log"), dir.file("events.prn")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::read_file(dir.file("events.prn")), test::kLoggerPrnEnglish);
  r = capture_cli({"export", dir.file("events.log"), dir.file("events.xlsx")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "samples: 3\nworkbook: " + dir.file("events.xlsx") + "\n");
  EXPECT_EQ(test::read_file(dir.file("events.xlsx")).substr(0, 2), "PK");
}

TEST(ExportCommand, SaysWhichRecordStoppedTheExport) {
  test::TempDir dir;
  std::vector<test::RecordBytes> records;
  for (const auto& sample : test::measurement_samples())
    records.insert(records.end(), sample.begin(), sample.end());
  records[5].resize(10);
  ASSERT_TRUE(test::write_record_file(dir.file("cut.mes"), records));
  CliRun r = capture_cli({"export", dir.file("cut.mes"), dir.file("cut.prn")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "orvadw-cli export: Incorrect File (record 5 does not hold block 0xFFFF of window "
            "measurement; 1 "
            "samples written to " +
                dir.file("cut.prn") + ")\n");
  EXPECT_EQ(test::lines_of(test::read_file(dir.file("cut.prn"))).size(), 2u);

  r = capture_cli({"export", dir.file("cut.mes"), dir.file("none/cut.prn")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(text_of(67, kEnglish)), std::string::npos) << r.err;
  EXPECT_EQ(capture_cli({"export", dir.file("cut.eta"), dir.file("x.prn")}).status, 2);
  EXPECT_EQ(capture_cli({"export", dir.file("cut.mes")}).status, 2);
  EXPECT_EQ(
      capture_cli({"export", dir.file("cut.mes"), dir.file("x.prn"), "--macro", "m.xls"}).status,
      2);
  EXPECT_EQ(capture_cli({"export", dir.file("cut.mes"), dir.file("x.prn"), "--open"}).status, 2);
}

std::string configuration(const test::TempDir& dir, const std::string& program,
                          const std::string& name = {}) {
  const std::string path = dir.file("test.OrvadW10");
  SettingsStore store(path);
  store.write_text("Spreadsheet", "Path Spreadsheet", program);
  if (!name.empty()) store.write_text("Spreadsheet", "Spreadsheet Name", name);
  return path;
}

TEST(ExportCommand, StartsTheSpreadsheetWithTheCommandLineOfItsKind) {
  ScopedEnv locale("LC_ALL", "en_GB.UTF-8");
  test::TempDir dir;
  ASSERT_TRUE(test::write_measurement_file(dir.file("run.mes")));
  const std::string folder = dir.path() + "/";

  // Any program: the text file, started in its folder.
  {
    test::StandInProgram localc(dir.file("one"), "localc", dir.file("a.prn"));
    const std::string config = configuration(dir, localc.path());
    const CliRun r = capture_cli(
        {"--config", config, "export", dir.file("run.mes"), dir.file("a.prn"), "--open"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(localc.calls(),
              (std::vector<std::string>{dir.path(), dir.file("a.prn"), "watched-there"}));
    EXPECT_NE(r.out.find("started: \"" + localc.path() + "\" \"" + dir.file("a.prn") + "\""),
              std::string::npos);
    // It runs no macro.
    EXPECT_EQ(capture_cli({"--config", config, "export", dir.file("run.mes"), dir.file("b.prn"),
                           "--open", "--macro", dir.file("m.xls")})
                  .status,
              1);
  }
  // A program named like the one the configuration files were written for:
  // its own command lines.
  {
    test::StandInProgram excel(dir.file("two"), "excel.exe", dir.file("b.prn"));
    const std::string config = configuration(dir, excel.path());
    const CliRun r = capture_cli(
        {"--config", config, "export", dir.file("run.mes"), dir.file("b.prn"), "--open"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(excel.calls(), (std::vector<std::string>{dir.path(), dir.file("b.prn"), "/p", folder,
                                                       "watched-there"}));
  }
  {
    test::StandInProgram excel(dir.file("three"), "excel.exe", dir.file("c.xls"));
    const std::string config = configuration(dir, excel.path());
    const CliRun r = capture_cli({"--config", config, "export", dir.file("run.mes"),
                                  dir.file("c.xls"), "--open", "--macro", dir.file("convert.xls")});
    ASSERT_EQ(r.status, 0) << r.err;
    // The target does not exist when the spreadsheet starts; the text and
    // the transfer file are beside it.
    EXPECT_EQ(excel.calls(), (std::vector<std::string>{dir.path(), "/p", folder,
                                                       dir.file("convert.xls"), "watched-gone"}));
    EXPECT_EQ(test::read_file(dir.file("ZEKPrnTemp.prn")), test::kMeasurementPrnEnglish);
    const std::vector<std::string> transfer =
        test::lines_of(test::read_file(dir.file("ZEKTransfert.$dat")));
    ASSERT_EQ(transfer.size(), 16u);
    EXPECT_EQ(transfer[0], "TYPE\tmes");
    EXPECT_EQ(transfer[1], "F_IN\t" + dir.file("ZEKPrnTemp.prn"));
    EXPECT_EQ(transfer[2], "F_OUT\t" + dir.file("c.xls"));
  }
  // A program that is not there: no message in a window, but here it is said.
  const std::string config = configuration(dir, dir.file("no-such-program"));
  const CliRun r =
      capture_cli({"--config", config, "export", dir.file("run.mes"), dir.file("d.prn"), "--open"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("could not be started: No such file or directory"), std::string::npos)
      << r.err;
  EXPECT_TRUE(test::path_exists(dir.file("d.prn")));
}

}  // namespace
}  // namespace orvadw::cli
