// The spreadsheet export below the windows: the PRN bytes of hand-made
// files against hand-written text, the transfer file, the workbook read back
// from its zip, the command lines, and what bad input leaves behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "base/text_table.h"
#include "files/export_layout.h"
#include "files/record_export.h"
#include "files/record_reader.h"
#include "files/spreadsheet_command.h"
#include "tests/support/export_samples.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

using test::TempDir;

RegionalSettings day_month_year(const char* decimal) {
  RegionalSettings r;
  r.date_order = 1;
  r.date_separator = "/";
  r.time_separator = ":";
  r.clock_kind = 1;
  r.decimal_separator = decimal;
  return r;
}

ExportResult run_export(const std::string& kind, int language, const std::string& source,
                        const std::string& target, const RegionalSettings& regional,
                        bool use_spreadsheet = false) {
  std::unique_ptr<ExportLayout> layout = ExportLayout::for_kind(kind, language);
  EXPECT_NE(layout, nullptr);
  ExportRequest request{source, target, use_spreadsheet};
  return RecordExport(*layout).run(request, regional);
}

// The text of one member of a zip archive, through the unzip program.
std::string unzip_member(const std::string& archive, const std::string& member) {
  const std::string command = "unzip -p '" + archive + "' '" + member + "' 2>/dev/null";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {};
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

TEST(RecordExport, MeasurementFileInEnglishAndInFrenchWithTheDecimalComma) {
  TempDir dir;
  const std::string source = dir.file("run.mes");
  ASSERT_TRUE(test::write_measurement_file(source));

  ExportResult english =
      run_export("mes", kEnglish, source, dir.file("en.prn"), day_month_year("."));
  ASSERT_TRUE(english.ok()) << english.message(kEnglish);
  EXPECT_EQ(english.samples, 2);
  EXPECT_EQ(english.text_path, dir.file("en.prn"));
  EXPECT_EQ(test::read_file(dir.file("en.prn")), test::kMeasurementPrnEnglish);

  ExportResult french = run_export("mes", kFrench, source, dir.file("fr.prn"), day_month_year(","));
  ASSERT_TRUE(french.ok());
  EXPECT_EQ(test::read_file(dir.file("fr.prn")), test::kMeasurementPrnFrench);
}

TEST(RecordExport, LoggerFileOfThreeEntriesGivesFourLines) {
  TempDir dir;
  const std::string source = dir.file("events.log");
  ASSERT_TRUE(test::write_logger_file(source));
  std::unique_ptr<ExportLayout> layout = ExportLayout::for_kind("log", kEnglish);
  std::vector<std::pair<int, int>> progress;
  ExportResult result =
      RecordExport(*layout).run({source, dir.file("events.prn"), false}, day_month_year("."),
                                [&](int done, int total) { progress.emplace_back(done, total); });
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.samples, 3);
  // The progress ends with every record read.
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), std::make_pair(3, 3));
  EXPECT_EQ(test::read_file(dir.file("events.prn")), test::kLoggerPrnEnglish);
}

TEST(RecordExport, ARecordThatDoesNotFitStopsTheExportAndKeepsWhatWasWritten) {
  TempDir dir;
  const std::string source = dir.file("cut.mes");
  std::vector<test::RecordBytes> records;
  for (const auto& sample : test::measurement_samples())
    records.insert(records.end(), sample.begin(), sample.end());
  records[4].resize(46);  // the second sample's live block, two bytes short
  ASSERT_TRUE(test::write_record_file(source, records));
  ExportResult result =
      run_export("mes", kEnglish, source, dir.file("cut.prn"), day_month_year("."));
  EXPECT_EQ(result.status, ExportResult::Status::kRecordNotApplied);
  EXPECT_EQ(result.failed_record, 4);
  EXPECT_EQ(result.samples, 1);
  EXPECT_EQ(result.message(kEnglish), text_of(68, kEnglish));
  const std::string& all = test::kMeasurementPrnEnglish;
  EXPECT_EQ(test::read_file(dir.file("cut.prn")), all.substr(0, all.find("\n2\t") + 1));
}

TEST(RecordExport, ABrokenFrameStopsTheExportAtItsRecord) {
  TempDir dir;
  const std::string source = dir.file("run.mes");
  ASSERT_TRUE(test::write_measurement_file(source));
  // The trailing length of record 3 (the second sample's first) no longer
  // matches its leading one.
  std::vector<std::uint8_t> bytes = test::read_file_bytes(source);
  std::int32_t header_length = 0;
  std::memcpy(&header_length, bytes.data(), 4);
  std::size_t at = static_cast<std::size_t>(header_length);
  const std::size_t sizes[] = {44, 48, 800};
  for (int r = 0; r < 3; ++r) at += 12 + sizes[r];
  bytes[at + 8 + 44] ^= 0x01;
  ASSERT_TRUE(test::write_file_bytes(source, bytes));
  ExportResult result =
      run_export("mes", kEnglish, source, dir.file("out.prn"), day_month_year("."));
  EXPECT_EQ(result.status, ExportResult::Status::kRecordNotApplied);
  EXPECT_EQ(result.failed_record, 3);
  EXPECT_EQ(result.samples, 1);
}

TEST(RecordExport, AFileCutDuringAWriteExportsItsCompleteSamples) {
  TempDir dir;
  const std::string source = dir.file("cut.mes");
  ASSERT_TRUE(test::write_measurement_file(source));
  std::vector<std::uint8_t> bytes = test::read_file_bytes(source);
  bytes.resize(bytes.size() - 30);  // inside the last chart record
  ASSERT_TRUE(test::write_file_bytes(source, bytes));
  RecordReader reader;
  ASSERT_EQ(reader.open(source), RecordReader::Open::kOk);
  EXPECT_TRUE(reader.tail_damaged());
  EXPECT_EQ(reader.record_count(), 5);
  ExportResult result =
      run_export("mes", kEnglish, source, dir.file("cut.prn"), day_month_year("."));
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.samples, 1);

  // A header that claims more than any reader takes is not a record file.
  std::vector<std::uint8_t> long_header = test::read_file_bytes(source);
  long_header[0] = 0xD1;
  long_header[1] = 0x07;  // 2001
  ASSERT_TRUE(test::write_file_bytes(source, long_header));
  EXPECT_EQ(reader.open(source), RecordReader::Open::kNotARecordFile);
}

TEST(RecordExport, BadSourcesAndTargetsLeaveNothingBehind) {
  TempDir dir;
  const std::string source = dir.file("run.mes");
  ASSERT_TRUE(test::write_measurement_file(source));
  // A folder that does not exist.
  ExportResult result =
      run_export("mes", kEnglish, source, dir.file("none/out.prn"), day_month_year("."));
  EXPECT_EQ(result.status, ExportResult::Status::kTargetNotWritable);
  EXPECT_EQ(result.message(kEnglish), text_of(67, kEnglish));
  // The recording itself as the target: refused, and left whole.
  const std::string before = test::read_file(source);
  result = run_export("mes", kEnglish, source, source, day_month_year("."));
  EXPECT_EQ(result.status, ExportResult::Status::kTargetNotWritable);
  EXPECT_EQ(test::read_file(source), before);
  // A file that is not a record file: no text file is left.
  ASSERT_TRUE(test::write_file(dir.file("junk.mes"), "not a record file\n"));
  result =
      run_export("mes", kEnglish, dir.file("junk.mes"), dir.file("junk.prn"), day_month_year("."));
  EXPECT_EQ(result.status, ExportResult::Status::kIncorrectFile);
  EXPECT_FALSE(test::path_exists(dir.file("junk.prn")));
  // A source that is not there: the system's reason after text 77.
  result =
      run_export("mes", kEnglish, dir.file("gone.mes"), dir.file("gone.prn"), day_month_year("."));
  EXPECT_EQ(result.status, ExportResult::Status::kSourceNotReadable);
  EXPECT_EQ(result.message(kEnglish).rfind(text_of(77, kEnglish), 0), 0u);
  EXPECT_FALSE(test::path_exists(dir.file("gone.prn")));
  // A logger file read as a measurement file: its first record does not fit.
  ASSERT_TRUE(test::write_logger_file(dir.file("events.log")));
  result = run_export("mes", kEnglish, dir.file("events.log"), dir.file("wrong.prn"),
                      day_month_year("."));
  EXPECT_EQ(result.status, ExportResult::Status::kRecordNotApplied);
  EXPECT_EQ(result.failed_record, 0);
}

TEST(RecordExport, WithAMacroTheTextGoesBesideTheTargetAndTheTargetIsGone) {
  TempDir dir;
  const std::string source = dir.file("run.mes");
  ASSERT_TRUE(test::write_measurement_file(source));
  const std::string target = dir.file("a.xls");
  ASSERT_TRUE(test::write_file(target, "an old workbook"));
  ExportResult result = run_export("mes", kEnglish, source, target, day_month_year("."), true);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.text_path, dir.path() + "/ZEKPrnTemp.prn");
  EXPECT_EQ(test::read_file(result.text_path), test::kMeasurementPrnEnglish);
  EXPECT_FALSE(test::path_exists(target));

  // The transfer file the macro reads.
  std::unique_ptr<ExportLayout> layout = ExportLayout::for_kind("mes", kEnglish);
  ASSERT_EQ(write_transfer_file(dir.path() + "/", layout->transfer_text(result.text_path, target)),
            0);
  EXPECT_EQ(test::read_file(dir.file("ZEKTransfert.$dat")),
            "TYPE\tmes\nF_IN\t" + result.text_path + "\nF_OUT\t" + target +
                "\nC_Num\tA\nC_Date\tB\nC_Time\tC\nC_DateTime\tD\nC_Celerite\tE\nC_Temps\tF\nC_"
                "Gain\tG\nC_IQ\tH\n"
                "C_DateDerSphere\tI\nC_TimeDerSphere\tJ\nC_DateTimeDerSphere\tK\nC_Compteur\tL\nC_"
                "Defaut\tM\n");
  layout = ExportLayout::for_kind("log", kEnglish);
  ASSERT_EQ(
      write_transfer_file(dir.path() + "/", layout->transfer_text("/x/ZEKPrnTemp.prn", "/x/é.xls")),
      0);
  EXPECT_EQ(test::read_file(dir.file("ZEKTransfert.$dat")),
            "TYPE\tlog\nF_IN\t/x/ZEKPrnTemp.prn\nF_OUT\t/x/\xE9.xls\n");
  EXPECT_NE(write_transfer_file(dir.file("none/"), "x"), 0);
}

TEST(RecordExport, AWorkbookHoldsNumbersAndDatesUnderAFrozenTitleRow) {
  TempDir dir;
  const std::string source = dir.file("run.mes");
  ASSERT_TRUE(test::write_measurement_file(source));
  const std::string target = dir.file("run.xlsx");
  ExportResult result = run_export("mes", kEnglish, source, target, day_month_year(","));
  ASSERT_TRUE(result.ok()) << result.message(kEnglish);
  EXPECT_TRUE(result.workbook);
  EXPECT_EQ(result.text_path, target);
  const std::string sheet = unzip_member(target, "xl/worksheets/sheet1.xml");
  ASSERT_FALSE(sheet.empty()) << "unzip could not read " << target;
  EXPECT_NE(sheet.find("state=\"frozen\""), std::string::npos) << sheet;
  EXPECT_NE(sheet.find("ySplit=\"1\""), std::string::npos);
  // Titles as text, the sample number, day numbers and values as numbers
  // (whatever the decimal separator of the region).
  EXPECT_NE(sheet.find("<t>N\xC2\xB0</t>"), std::string::npos);
  EXPECT_NE(sheet.find("<t>Sp. Sound</t>"), std::string::npos);
  for (const char* cell : {"<c r=\"A2\"><v>1</v>", "<v>46096</v>", "<v>1480.3</v>", "<v>67.5</v>",
                           "<v>92</v>", "<v>3</v>", "<c r=\"A3\"><v>2</v>"}) {
    EXPECT_NE(sheet.find(cell), std::string::npos) << cell;
  }
  EXPECT_NE(sheet.find("<v>46096.43090277"), std::string::npos);
  EXPECT_NE(sheet.find("<t>No Fault</t>"), std::string::npos);
  EXPECT_EQ(sheet.find("A4"), std::string::npos);
  const std::string styles = unzip_member(target, "xl/styles.xml");
  EXPECT_NE(styles.find("formatCode=\"dd/mm/yyyy\""), std::string::npos) << styles;
  EXPECT_NE(styles.find("formatCode=\"hh:mm:ss\""), std::string::npos);
  EXPECT_NE(styles.find("formatCode=\"0.0\""), std::string::npos);
}

TEST(SpreadsheetCommand, ExcelKeepsItsCommandLinesAndOtherProgramsGetTheirFile) {
  // The macro is offered when the program's path holds the name, however
  // either is written.
  EXPECT_TRUE(spreadsheet_configured("C:\\Program Files\\Office\\EXCEL.EXE", "excel.exe"));
  EXPECT_FALSE(spreadsheet_configured("/usr/bin/localc", "excel.exe"));
  EXPECT_TRUE(spreadsheet_configured("/usr/bin/localc", " LOCALC "));
  EXPECT_FALSE(spreadsheet_configured("/usr/bin/localc", ""));

  const std::string excel = "/opt/office/EXCEL.EXE";
  SpreadsheetCommand c = spreadsheet_command(excel, "/d/a.prn", "/d/", "");
  EXPECT_EQ(c.arguments, (std::vector<std::string>{"/d/a.prn", "/p", "/d/"}));
  EXPECT_FALSE(c.writes_transfer_file);
  EXPECT_EQ(command_line_text(c), "\"/opt/office/EXCEL.EXE\" \"/d/a.prn\" /p \"/d/\"");
  c = spreadsheet_command(excel, "/d/ZEKPrnTemp.prn", "/d/", "/m/convert.xls");
  EXPECT_EQ(c.arguments, (std::vector<std::string>{"/p", "/d/", "/m/convert.xls"}));
  EXPECT_TRUE(c.writes_transfer_file);

  c = spreadsheet_command("/usr/bin/localc", "/d/a.prn", "/d/", "");
  EXPECT_EQ(c.program, "/usr/bin/localc");
  EXPECT_EQ(c.arguments, std::vector<std::string>{"/d/a.prn"});
  EXPECT_EQ(c.working_folder, "/d/");
  // A macro for another program: its workbook, started in the folder where
  // the transfer file is.
  c = spreadsheet_command("/usr/bin/localc", "/d/ZEKPrnTemp.prn", "/d/", "/m/convert.ods");
  EXPECT_EQ(c.arguments, std::vector<std::string>{"/m/convert.ods"});
  EXPECT_TRUE(c.writes_transfer_file);
}

}  // namespace
}  // namespace orvadw
