// The print and export buttons of the operating views on files: the sheet
// read back from its PDF, the PRN text byte for byte as the command line
// writes it, a workbook, and the spreadsheet started with and without the
// macro, seen by a stand-in program.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include "base/program_folder.h"
#include "base/text_table.h"
#include "dialogs/macro_choice_dialog.h"
#include "files/settings_store.h"
#include "support/view_test_env.h"
#include "tests/support/bin_dir.h"
#include "tests/support/child_process.h"
#include "tests/support/export_samples.h"
#include "tests/support/file_contents.h"
#include "tests/support/pdf_text.h"
#include "tests/support/process_locale.h"
#include "tests/support/scoped_env.h"
#include "tests/support/stand_in_program.h"
#include "ui/notifying_button.h"
#include "ui/printer_choice.h"
#include "views/logger_view.h"
#include "views/measurement_view.h"

namespace orvadw {
namespace {

using test::ViewTestEnv;

constexpr const char* kRegion = "en_GB.UTF-8";  // day-month-year, 24 hours, "."

class PrintExportTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(region.ok()) << kRegion << " is not installed"; }
  template <typename View>
  std::unique_ptr<View> open_file(const std::string& path) {
    auto view = std::make_unique<View>(nullptr, 4, path, nullptr, env.configuration_path());
    view->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->started(); }, 10000));
    return view;
  }
  // Answers the macro choice when it comes: a macro through its "..." (the
  // open dialog's next answer) and OK, or Cancel.
  void answer_macro_choice(bool choose) {
    QObject::connect(&watcher, &QTimer::timeout, [this, choose] {
      auto* choice = qobject_cast<MacroChoiceDialog*>(QApplication::activeModalWidget());
      if (choice == nullptr) return;
      watcher.stop();
      offered_macro = choice->macro_path().toStdString();
      if (!choose) {
        choice->reject();
        return;
      }
      choice->browse();
      choice->accept();
    });
    watcher.start(10);
  }
  void configure_spreadsheet(const std::string& program) {
    SettingsStore(env.configuration_path()).write_text("Spreadsheet", "Path Spreadsheet", program);
  }

  test::ProcessLocale region{kRegion};
  ViewTestEnv env;
  PdfPrinterChoice printers{QString::fromStdString(env.file("sheet.pdf"))};
  ScopedPrinterChoice printer_scope{&printers};
  QTimer watcher;
  std::string offered_macro;
};

TEST_F(PrintExportTest, TheLoggerPrintsItsTableOnOnePage) {
  ASSERT_TRUE(test::write_logger_file(env.file("events.log")));
  auto view = open_file<LoggerView>(env.file("events.log"));
  ASSERT_TRUE(view->button(OperatingView::kPrintButton)->isVisible());
  view->button(OperatingView::kPrintButton)->click();
  ASSERT_EQ(printers.files().size(), 1u);
  EXPECT_EQ(printers.set_ups(), 1) << "the print button asks for the printer";
  const std::string pdf = printers.files()[0].toStdString();
  EXPECT_EQ(test::pdf_pages(pdf), 1);
  const std::string text = test::pdf_text(pdf);
  EXPECT_NE(text.find(view->windowTitle().simplified().toStdString()), std::string::npos) << text;
  for (const char* line : {"N° Date Time T Obt(µs)\n", "1 31/12/2005 23:59:58 1000\n",
                           "2 02/01/2006 08:00:01 1024\n", "3 03/01/2006 09:16:32 128\n", "1/1"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
  EXPECT_NE(text.find(text_of(101, kEnglish)), std::string::npos);
  EXPECT_EQ(text.find("\n4 "), std::string::npos);
}

TEST_F(PrintExportTest, TheMeasurementPrintsTheSampleShownWithItsChart) {
  ASSERT_TRUE(test::write_measurement_file(env.file("run.mes")));
  auto view = open_file<MeasurementView>(env.file("run.mes"));
  view->button(OperatingView::kLastButton)->click();
  view->button(OperatingView::kPrintButton)->click();
  ASSERT_EQ(printers.files().size(), 1u);
  const std::string text = test::pdf_text(printers.files()[0].toStdString());
  // The chart's caption and range labels, then the second sample's values.
  for (const char* line : {"Record 2 / 2\n", "Sp. Sound (m/s)\n", "1560.0 m/s", "850.0 m/s",
                           "Sp. Sound = 1479.9 m/s\n", "Time = 67.5 µs\n", "Gain = 41 dB\n",
                           "Fault\n", "Count = 3\n", "1/1"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
}

TEST_F(PrintExportTest, TheMeasurementExportIsTheCommandLinesByteForByte) {
  const std::string source = env.file("run.mes");
  ASSERT_TRUE(test::write_measurement_file(source));
  auto view = open_file<MeasurementView>(source);
  env.files.queue_answer(QString::fromStdString(env.file("window")));  // ".prn" is added
  view->button(OperatingView::kExportButton)->click();
  ASSERT_EQ(env.files.asked().size(), 1u);
  const auto& request = env.files.asked()[0].request;
  EXPECT_EQ(request.default_name, QStringLiteral("run"));
  EXPECT_EQ(request.filter, QStringLiteral("PRN File (*.prn)|*.prn|Excel File (*.xlsx)|*.xlsx|"));
  EXPECT_TRUE(env.messages.shown().empty());
  EXPECT_FALSE(view->progress_shown());
  const std::string window = test::read_file(env.file("window.prn"));
  EXPECT_EQ(window, test::kMeasurementPrnEnglish);

  test::ScopedEnv locale("LC_ALL", kRegion);
  test::ChildProcess cli;
  ASSERT_TRUE(cli.start({test::program_path("orvadw-cli"), "export", source, env.file("cli.prn")}));
  ASSERT_EQ(cli.wait(test::ChildProcess::Clock::now() + std::chrono::seconds(30)), 0)
      << cli.out_text();
  EXPECT_EQ(test::read_file(env.file("cli.prn")), window);

  // A name ending in .xlsx gets a workbook, not a text.
  env.files.queue_answer(QString::fromStdString(env.file("book.xlsx")));
  view->button(OperatingView::kExportButton)->click();
  EXPECT_EQ(test::read_file(env.file("book.xlsx")).substr(0, 2), "PK");
  EXPECT_FALSE(test::path_exists(env.file("book.xlsx.prn")));

  // Cancel writes nothing and says nothing.
  env.files.queue_cancel();
  view->button(OperatingView::kExportButton)->click();
  EXPECT_TRUE(env.messages.shown().empty());
}

TEST_F(PrintExportTest, TheSpreadsheetRunsTheChosenMacroOnTheTextBesideTheTarget) {
  ASSERT_TRUE(test::write_measurement_file(env.file("run.mes")));
  const std::string folder = env.file("out");
  test::StandInProgram excel(env.file("office"), "excel.exe", env.file("out/a.xls"));
  configure_spreadsheet(excel.path());
  const std::string macro = env.file("convert.xls");
  auto view = open_file<MeasurementView>(env.file("run.mes"));

  answer_macro_choice(true);
  env.files.queue_answer(QString::fromStdString(macro));
  env.files.queue_answer(QString::fromStdString(env.file("out/a")));  // ".xls" is added
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  ASSERT_TRUE(test::write_file(env.file("out/a.xls"), "an old workbook"));
  env.messages.queue_answer(MessageService::kYes);  // replace it
  view->button(OperatingView::kExportButton)->click();
  EXPECT_EQ(offered_macro, home_folder()) << "none was chosen before";
  EXPECT_EQ(SettingsStore(env.configuration_path()).read_text("Spreadsheet", "Path Macro mes", ""),
            macro);
  ASSERT_EQ(env.files.asked().size(), 2u);
  EXPECT_FALSE(env.files.asked()[0].save);
  EXPECT_EQ(env.files.asked()[0].request.filter,
            QString::fromLatin1(MacroChoiceDialog::kMacroFilter));
  const auto& save = env.files.asked().back().request;
  EXPECT_EQ(save.filter, QStringLiteral("Excel File (*.xls)|*.xls|"));

  // "/p", the target's folder and the macro; the target is not there when
  // the spreadsheet starts, the text and the transfer file are beside it.
  EXPECT_EQ(excel.calls(),
            (std::vector<std::string>{folder, "/p", folder + "/", macro, "watched-gone"}));
  EXPECT_EQ(test::read_file(folder + "/ZEKPrnTemp.prn"), test::kMeasurementPrnEnglish);
  const std::string transfer = test::read_file(folder + "/ZEKTransfert.$dat");
  EXPECT_EQ(transfer.rfind("TYPE\tmes\nF_IN\t" + folder + "/ZEKPrnTemp.prn\nF_OUT\t" + folder +
                               "/a.xls\nC_Num\tA\n",
                           0),
            0u)
      << transfer;
}

TEST_F(PrintExportTest, CancelledMacroChoiceHandsTheTextAlone) {
  ASSERT_TRUE(test::write_logger_file(env.file("events.log")));
  test::StandInProgram excel(env.file("office"), "EXCEL.EXE", env.file("events.prn"));
  configure_spreadsheet(excel.path());
  auto view = open_file<LoggerView>(env.file("events.log"));
  answer_macro_choice(false);
  env.files.queue_answer(QString::fromStdString(env.file("events")));
  view->button(OperatingView::kExportButton)->click();
  // Nothing chosen, nothing kept.
  EXPECT_EQ(
      SettingsStore(env.configuration_path()).read_text("Spreadsheet", "Path Macro log", "none"),
      "none");
  EXPECT_EQ(env.files.asked().back().request.filter,
            QStringLiteral("PRN File (*.prn)|*.prn|Excel File (*.xlsx)|*.xlsx|"));
  std::string folder = env.file("");
  EXPECT_EQ(excel.calls(),
            (std::vector<std::string>{folder.substr(0, folder.size() - 1), env.file("events.prn"),
                                      "/p", folder, "watched-there"}));
  EXPECT_EQ(test::read_file(env.file("events.prn")), test::kLoggerPrnEnglish);
  EXPECT_FALSE(test::path_exists(env.file("ZEKTransfert.$dat")));
}

}  // namespace
}  // namespace orvadw
