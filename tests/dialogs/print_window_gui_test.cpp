// Printing a window's sheet to PDF and reading it back: pages and their
// numbers, the set-up dialog and the default printer, the messages, and the
// checksum of a parameter sheet against the command line's.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <sstream>

#include "base/text_table.h"
#include "cli/cli_command.h"
#include "dialogs/print_window.h"
#include "dialogs/settings_dialog.h"
#include "files/record_file_session.h"
#include "params/window_table.h"
#include "support/dialog_test_env.h"
#include "tests/support/grid_field_list.h"
#include "tests/support/hex_bytes.h"
#include "tests/support/pdf_text.h"
#include "ui/printer_choice.h"

namespace orvadw {
namespace {

using test::DialogTestEnv;

// A comparison-like list: one grid of rows under a header.
ParameterFieldList rows_list(int rows) {
  return test::grid_field_list(rows, {"Parameter", "File", "Instrument"}, [](int r) {
    return std::vector<std::string>{"row " + std::to_string(r), std::to_string(r),
                                    std::to_string(r + 1000)};
  });
}

class PrintWindowTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return env.folder() + "/" + name; }
  DialogTestEnv env;
  PdfPrinterChoice printers{QString::fromStdString(path("sheet.pdf"))};
  ScopedPrinterChoice scope{&printers};
};

TEST_F(PrintWindowTest, ALongListGoesOnNumberedPagesAndLosesNoLine) {
  const ParameterFieldList list = rows_list(150);
  ASSERT_EQ(print_window(list, QStringLiteral("Differences"), true, nullptr, kEnglish), 0);
  ASSERT_EQ(printers.files().size(), 1u);
  const std::string pdf = printers.files()[0].toStdString();
  EXPECT_EQ(test::pdf_pages(pdf), 3);
  const std::string text = test::pdf_text(pdf);
  EXPECT_NE(text.find("Differences"), std::string::npos);
  for (const char* number : {"1/3", "2/3", "3/3"})
    EXPECT_NE(text.find(number), std::string::npos) << number;
  EXPECT_NE(text.find(text_of(101, kEnglish)), std::string::npos);
  EXPECT_NE(text.find("OrvadW 10"), std::string::npos);
  std::size_t at = 0;
  for (int r = 1; r <= 150; ++r) {
    const std::string line =
        "row " + std::to_string(r) + " " + std::to_string(r) + " " + std::to_string(r + 1000);
    const std::size_t found = text.find(line, at);
    ASSERT_NE(found, std::string::npos) << line;
    at = found + line.size();
  }
  // The header again at the top of every page.
  std::size_t headers = 0;
  for (std::size_t p = text.find("Parameter File Instrument"); p != std::string::npos;
       p = text.find("Parameter File Instrument", p + 1)) {
    ++headers;
  }
  EXPECT_EQ(headers, 3u);
}

TEST_F(PrintWindowTest, CancelPrintsNothingAndAPrinterThatWillNotStartIsSaid) {
  const ParameterFieldList list = rows_list(3);
  printers.queue_cancel();
  EXPECT_EQ(print_window(list, QStringLiteral("Sheet"), true, nullptr, kEnglish), -1);
  EXPECT_TRUE(printers.files().empty());
  EXPECT_TRUE(env.messages.shown().empty());

  printers.set_default_printer(false);
  EXPECT_EQ(print_window(list, QStringLiteral("Sheet"), false, nullptr, kEnglish), -1);
  EXPECT_EQ(test::shown_texts(env.messages),
            std::vector<QString>{QStringLiteral("You have no default printer!")});
  EXPECT_TRUE(env.messages.shown()[0].caption.isEmpty());

  env.messages.clear();
  PdfPrinterChoice nowhere(QString::fromStdString(path("no-such-folder/sheet.pdf")));
  ScopedPrinterChoice nowhere_scope(&nowhere);
  EXPECT_EQ(print_window(list, QStringLiteral("Sheet"), true, nullptr, kEnglish), -1);
  EXPECT_EQ(test::shown_texts(env.messages),
            std::vector<QString>{QStringLiteral("Printer wouldn't initalize")});
}

TEST_F(PrintWindowTest, AParameterSheetCarriesTheChecksumTheCommandLineShows) {
  // A settings file with values of its own.
  ParameterFieldList values = make_field_list(settings_window(kEnglish), kEnglish);
  values.field(1117)->set_number(37);
  values.field(1080)->set_number(114.3);
  const std::vector<std::uint8_t> record = values.register_image(block::kParameters);
  const std::string file = path("values.eta");
  {
    RecordFileSession files(kEnglish);
    files.build_header_text("Settings", {"1", "2", "3", "10-11-A", "Meter"});
    std::string target = file;
    ASSERT_EQ(files.save_record(target, record, RecordFileSession::kNewFileMode), 0);
  }
  SettingsDialog window(nullptr, 4, nullptr, file, env.configuration_path());
  window.initialise();
  ASSERT_TRUE(window.values_from_file());
  ASSERT_EQ(print_window(window, true), 0);
  const std::string text = test::pdf_text(printers.files().at(0).toStdString());

  std::ostringstream out, err;
  ASSERT_EQ(cli::run_cli({"show", "--window", "settings", "--block", "0x1000", test::hex(record)},
                         out, err),
            0);
  const std::string shown = out.str();
  const std::string checksum = shown.substr(shown.rfind("# CRC-32 ") + 2, 15);
  EXPECT_NE(text.find(checksum), std::string::npos) << checksum << "\n" << text;
  // The title, and the values as the window shows them.
  EXPECT_NE(text.find(window.windowTitle().simplified().toStdString()), std::string::npos)
      << text.substr(0, 300);
  EXPECT_NE(text.find(text_of(104, kEnglish) + " = 37"), std::string::npos) << text;
  EXPECT_NE(text.find(" = 114.3 mm"), std::string::npos);
  EXPECT_NE(text.find("1/1"), std::string::npos);
}

}  // namespace
}  // namespace orvadw
