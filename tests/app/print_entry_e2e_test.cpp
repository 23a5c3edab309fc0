// "orvadw --print FILE --pdf OUT": the whole program prints a data file's
// sheet without a window; the PDF read back shows the title, every visible
// value as "label = value unit", the footer and "1/1".
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>

#include "base/text_table.h"
#include "files/record_file_session.h"
#include "files/sheet_layout.h"
#include "params/window_rules.h"
#include "params/window_table.h"
#include "tests/support/bin_dir.h"
#include "tests/support/child_process.h"
#include "tests/support/file_contents.h"
#include "tests/support/pdf_text.h"
#include "tests/support/scoped_env.h"

namespace orvadw {
namespace {

using test::ChildProcess;

class PrintEntryTest : public ::testing::Test {
 protected:
  std::string file(const std::string& name) const { return dir.path().toStdString() + "/" + name; }
  int run(const std::vector<std::string>& args) {
    test::ScopedEnv home("ORVADW_HOME", dir.path().toStdString().c_str());
    std::vector<std::string> argv = {test::program_path("orvadw")};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess child;
    if (!child.start(argv)) return -2;
    const int status = child.wait(ChildProcess::Clock::now() + std::chrono::seconds(60));
    out = child.out_text() + child.err_text();
    return status;
  }
  QTemporaryDir dir;
  std::string out;
};

TEST_F(PrintEntryTest, ASettingsFilePrintsEveryVisibleValue) {
  // The program starts in an empty folder: French, as a first start is.
  const int language = kFrench;
  ParameterFieldList values = make_field_list(settings_window(language), language);
  values.field(1117)->set_number(42);
  values.field(1080)->set_number(88.9);
  values.field(1139)->set_number(120);
  const std::string eta = file("site.eta");
  {
    RecordFileSession files(language);
    files.build_header_text("Paramétrage", {"1", "2", "3", "10-11-A", "Meter"});
    std::string target = eta;
    ASSERT_EQ(files.save_record(target, values.register_image(block::kParameters),
                                RecordFileSession::kNewFileMode),
              0);
  }
  ASSERT_EQ(run({"--print", eta, "--pdf", file("site.pdf")}), 0) << out;
  EXPECT_EQ(test::pdf_pages(file("site.pdf")), 1);
  const std::string text = test::pdf_text(file("site.pdf"));

  // What the window shows after its rules ran on the loaded values, with
  // the file's firmware.
  apply_window_rules(window_rules("settings"), values);
  values.field(1256)->set_text("10-11-A");
  int lines = 0;
  for (const ParameterField& field : values) {
    if (!SheetLayout::is_on_sheet(field) ||
        SheetLayout::heading_of(field) != SheetLayout::Heading::kNone)
      continue;
    const std::string label = field.label_text();
    if (label.empty()) continue;
    std::string line = label + " = " + field.value_text();
    if (!field.unit_text().empty()) line += " " + field.unit_text();
    while (line.back() == ' ') line.pop_back();
    EXPECT_NE(text.find(line + "\n"), std::string::npos) << line << "\n" << text;
    ++lines;
  }
  EXPECT_GT(lines, 30);
  EXPECT_NE(text.find(text_of(104, language) + " = 42\n"), std::string::npos);
  EXPECT_NE(text.find(" = 88.9 mm\n"), std::string::npos);
  EXPECT_NE(text.find(text_of(212, language) + " - " + eta), std::string::npos) << "the title";
  EXPECT_NE(text.find(text_of(101, language)), std::string::npos) << "the footer";
  EXPECT_NE(text.find("CRC-32 "), std::string::npos);
  EXPECT_NE(text.find("OrvadW 10"), std::string::npos);
  EXPECT_NE(text.find("1/1"), std::string::npos);
  // Hidden values are not on the sheet.
  EXPECT_EQ(text.find(text_of(173, language)), std::string::npos);
}

TEST_F(PrintEntryTest, WhatCannotBePrintedEndsWithAReason) {
  ASSERT_TRUE(test::write_file(file("junk.eta"), "not a settings file"));
  EXPECT_EQ(run({"--print", file("junk.eta"), "--pdf", file("junk.pdf")}), 1);
  EXPECT_NE(out.find(text_of(68, kFrench)), std::string::npos) << out;
  EXPECT_FALSE(test::path_exists(file("junk.pdf")));
  EXPECT_EQ(run({"--print", file("notes.txt")}), 2);
  EXPECT_NE(out.find("no window prints"), std::string::npos) << out;
  EXPECT_EQ(run({"--print"}), 2);
  EXPECT_EQ(run({"--print", file("a.eta"), "--pdf"}), 2);
}

}  // namespace
}  // namespace orvadw
