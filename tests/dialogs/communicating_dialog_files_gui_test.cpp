// The file services of the communicating dialog with scripted file dialogs
// and message boxes: saving and loading records, the identification header,
// the save dialog's own overwrite question and extension, the last folder,
// and the file messages.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <fstream>
#include <iterator>

#include "base/date_time.h"
#include "base/program_identity.h"
#include "base/text_table.h"
#include "dialogs/communicating_dialog.h"
#include "files/configuration.h"
#include "files/file_kind.h"
#include "files/record_file.h"
#include "link/jbus_master.h"
#include "params/window_table.h"
#include "support/dialog_test_env.h"

namespace orvadw {
namespace {

using test::DialogTestEnv;
using test::kFieldA;
using test::kFieldB;
using test::kFieldC;
using test::kParameterBlock;

class DialogFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(env.valid()); }

  std::unique_ptr<test::RecordingDialog> make(int mode = 1) {
    auto dialog = env.make_dialog(&master, kSettingsFileKind, mode);
    dialog->set_title_id(212);
    return dialog;
  }
  static void set_values(CommunicatingDialog& d, int a, int b, int c) {
    d.fields().field(kFieldA)->set_number(a);
    d.fields().field(kFieldB)->set_number(b);
    d.fields().field(kFieldC)->set_number(c);
  }
  static std::vector<std::string> values(CommunicatingDialog& d) {
    return {d.fields().field(kFieldA)->value_text(), d.fields().field(kFieldB)->value_text(),
            d.fields().field(kFieldC)->value_text()};
  }
  static std::string ident(CommunicatingDialog& d, int control) {
    return d.identification_field(control)->value_text();
  }
  std::string in_folder(const std::string& name) const { return env.folder() + "/" + name; }
  // A record file written directly, with the header text as given.
  void write_record_file(const std::string& path, const std::string& header_text,
                         const std::vector<Bytes>& records) {
    RecordFile file;
    ASSERT_EQ(file.create(path), 0);
    ASSERT_EQ(file.create_header(header_text, DateTime::now()), 0);
    for (const Bytes& record : records) ASSERT_EQ(file.append(record), 0);
    file.close();
  }
  static std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  DialogTestEnv env;
  JBusMaster master;
};

TEST_F(DialogFilesTest, SavedRecordsAndTheIdentificationLoadBack) {
  using namespace identification;
  auto saver = make();
  set_values(*saver, 11, 2222, 65000);
  saver->identification_field(kSerialWeek)->set_number(12);
  saver->identification_field(kSerialYear)->set_number(21);
  saver->identification_field(kSerialNumber)->set_number(3456);
  saver->identification_field(kSoftwareVersion)->set_text("10-11-Q");
  saver->identification_field(kSoftwareText)->set_text("FLOWSOFT");
  saver->build_header_text();
  const std::string saved_title = saver->windowTitle().toStdString();
  EXPECT_EQ(saver->default_extension(), "eta");
  EXPECT_EQ(saver->file_filter(), "Setting File (*.eta)|*.eta|");

  // The save dialog answers a name without extension.
  env.files.queue_answer(QString::fromStdString(in_folder("site")));
  std::string path;
  ASSERT_EQ(saver->save_record(path, saver->fields().register_image(kParameterBlock), 1), 0);
  EXPECT_EQ(path, in_folder("site.eta"));
  ASSERT_EQ(env.files.asked().size(), 1u);
  EXPECT_TRUE(env.files.asked()[0].save);
  EXPECT_EQ(env.files.asked()[0].request.folder.toStdString(), env.folder() + "/");
  EXPECT_EQ(env.files.asked()[0].request.default_extension, "eta");
  EXPECT_EQ(env.files.asked()[0].request.filter, "Setting File (*.eta)|*.eta|");

  // A second record goes to the end of the same file.
  set_values(*saver, 1, 2, 3);
  ASSERT_EQ(saver->save_record(path, saver->fields().register_image(kParameterBlock), 8), 0);
  EXPECT_EQ(env.files.asked().size(), 1u) << "appending asks for nothing";
  EXPECT_TRUE(env.messages.shown().empty());

  auto loader = make(4);
  std::string load_path = path;
  ASSERT_EQ(loader->load_record(load_path, kParameterBlock, 0), 0);
  EXPECT_EQ(values(*loader), (std::vector<std::string>{"11", "2222", "65000"}));
  EXPECT_EQ(ident(*loader, kSerialWeek), "12");
  EXPECT_EQ(ident(*loader, kSerialYear), "21");
  EXPECT_EQ(ident(*loader, kSerialNumber), "3456");
  EXPECT_EQ(ident(*loader, kSoftwareVersion), "10-11-Q");
  EXPECT_EQ(ident(*loader, kSoftwareText), "FLOWSOFT");
  EXPECT_EQ(loader->fields().field(CommunicatingDialog::kFirmwareLabelControl)->value_text(),
            "10-11-Q")
      << "the firmware label shows the file's version";
  ASSERT_EQ(loader->load_record(load_path, kParameterBlock, 1), 0);
  EXPECT_EQ(values(*loader), (std::vector<std::string>{"1", "2", "3"}));
  ASSERT_EQ(loader->load_record(load_path, kParameterBlock, 0), 0);
  EXPECT_EQ(values(*loader), (std::vector<std::string>{"11", "2222", "65000"}));
  EXPECT_EQ(loader->load_record(load_path, kParameterBlock, 2), -1) << "no third record";
  EXPECT_TRUE(loader->file_open());
  loader->close_file();
  EXPECT_FALSE(loader->file_open());

  FileHeader header;
  auto reader = make(4);
  ASSERT_EQ(reader->read_identification(path, header), 0);
  EXPECT_EQ(header.window_title, saved_title);
  EXPECT_EQ(header.internal_name, internal_name());
  EXPECT_EQ(header.record_count, 2);
  EXPECT_EQ(header.line_count, 8);
  EXPECT_EQ(ident(*reader, kSerialNumber), "3456");
  EXPECT_TRUE(env.messages.shown().empty());
}

TEST_F(DialogFilesTest, AHeaderOfFewerLinesLeavesTheSerialWeekAlone) {
  using namespace identification;
  const std::string path = in_folder("short.eta");
  write_record_file(path, "Old\nOrvadW 10\n4278058235\n40\n19\n777\n10-11-R\n", {{0, 1, 0, 2, 0, 3}});
  auto dialog = make(4);
  dialog->identification_field(kSerialWeek)->set_number(5);
  FileHeader header;
  ASSERT_EQ(dialog->read_identification(path, header), 0);
  EXPECT_EQ(header.line_count, 7);
  EXPECT_EQ(ident(*dialog, kSerialWeek), "5");
  EXPECT_EQ(ident(*dialog, kSerialYear), "19");
  EXPECT_EQ(ident(*dialog, kSerialNumber), "777");
  EXPECT_EQ(ident(*dialog, kSoftwareVersion), "10-11-R");
}

TEST_F(DialogFilesTest, AFileOfAnotherFirmwareGenerationIsRefused) {
  using namespace identification;
  const std::string path = in_folder("old.eta");
  write_record_file(path, "T\nOrvadW 9\n4278058235\n1\n2\n3\n09-11-B\nOLDSOFT\n", {{0, 1, 0, 2, 0, 3}});
  auto dialog = make(4);
  dialog->identification_field(kSoftwareText)->set_text("ON SCREEN");
  std::string load_path = path;
  EXPECT_EQ(dialog->load_record(load_path, kParameterBlock, 0), -1);
  // The message names the software of the file that was refused.
  EXPECT_EQ(test::shown_texts(env.messages),
            std::vector<QString>{QString::fromStdString(text_of(75, kEnglish) + " 09\nOLDSOFT")});
  EXPECT_EQ(ident(*dialog, kSoftwareVersion), program_version_key());
  EXPECT_EQ(values(*dialog), (std::vector<std::string>{"0", "0", "0"}));
}

TEST_F(DialogFilesTest, FilesThatCannotBeReadAreReported) {
  auto dialog = make(4);
  std::string missing = in_folder("nowhere/x.eta");
  EXPECT_EQ(dialog->load_record(missing, kParameterBlock, 0), -1);
  ASSERT_EQ(env.messages.shown().size(), 1u);
  EXPECT_EQ(env.messages.shown()[0].text.toStdString(),
            text_of(77, kEnglish) + std::strerror(ENOENT));
  EXPECT_EQ(env.messages.shown()[0].caption, "Error");
  EXPECT_EQ(env.messages.shown()[0].icon, MessageService::Icon::Error);

  env.messages.clear();
  const std::string garbage = in_folder("garbage.eta");
  std::ofstream(garbage) << "this is not a record file at all, just text\n";
  std::string path = garbage;
  int count = -5;
  std::string text;
  EXPECT_EQ(dialog->open_for_reading(path, count, text), -1);
  EXPECT_EQ(test::shown_texts(env.messages), std::vector<QString>{"Incorrect File"});
  EXPECT_EQ(env.messages.shown()[0].caption, "Error");

  // A good header without records.
  env.messages.clear();
  const std::string empty = in_folder("empty.eta");
  write_record_file(empty, "a\n", {});
  path = empty;
  EXPECT_EQ(dialog->load_record(path, kParameterBlock, 0), -1);
  EXPECT_EQ(test::shown_texts(env.messages), std::vector<QString>{"Incorrect File"});
}

TEST_F(DialogFilesTest, TheSaveDialogAsksBeforeReplacingAndCompletesTheExtension) {
  auto dialog = make();
  const Bytes image = dialog->fields().register_image(kParameterBlock);
  const std::string existing = in_folder("a.eta");
  std::ofstream(existing) << "keep me";

  // No: the dialog comes again and the other name is taken.
  env.files.queue_answer(QString::fromStdString(in_folder("a")));
  env.files.queue_answer(QString::fromStdString(in_folder("b")));
  env.messages.queue_answer(MessageService::kNo);
  std::string path;
  ASSERT_EQ(dialog->save_record(path, image, 1), 0);
  EXPECT_EQ(path, in_folder("b.eta"));
  EXPECT_EQ(env.files.asked().size(), 2u);
  ASSERT_EQ(env.messages.shown().size(), 1u);
  EXPECT_TRUE(env.messages.shown()[0].question);
  EXPECT_EQ(env.messages.shown()[0].text.toStdString(),
            existing + " \n\n" + text_of(69, kEnglish));
  EXPECT_EQ(env.messages.shown()[0].caption, "Caution");
  EXPECT_EQ(contents(existing), "keep me");

  // Yes: the file is replaced by a record file.
  env.messages.clear();
  env.files.queue_answer(QString::fromStdString(existing));
  env.messages.queue_answer(MessageService::kYes);
  path.clear();
  ASSERT_EQ(dialog->save_record(path, image, 1), 0);
  EXPECT_EQ(path, existing);
  int count = 0;
  std::string text;
  auto reader = make(4);
  ASSERT_EQ(reader->open_for_reading(path, count, text), 0);
  EXPECT_EQ(count, 1);

  // The kind's extension is added to any other one, once.
  for (const auto& [typed, expected] : std::vector<std::pair<std::string, std::string>>{
           {"x.txt", "x.txt.eta"}, {"z.eta", "z.eta"}}) {
    env.files.queue_answer(QString::fromStdString(in_folder(typed)));
    path.clear();
    ASSERT_EQ(dialog->save_record(path, image, 1), 0) << typed;
    EXPECT_EQ(path, in_folder(expected));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(in_folder(expected))));
  }
}

TEST_F(DialogFilesTest, CancelAndAppendWithoutAPathWriteNothing) {
  auto dialog = make();
  const Bytes image = dialog->fields().register_image(kParameterBlock);
  env.files.queue_cancel();
  std::string path;
  EXPECT_EQ(dialog->save_record(path, image, 1), -1);
  EXPECT_TRUE(path.empty());
  EXPECT_EQ(dialog->save_record(path, image, 8), -1);
  EXPECT_EQ(env.files.asked().size(), 1u) << "appending never asks for a name";
  EXPECT_TRUE(env.messages.shown().empty());
  EXPECT_EQ(Configuration::instance().last_folder(), env.folder() + "/");

  env.files.queue_cancel();
  int count = 0;
  std::string text;
  EXPECT_EQ(dialog->open_for_reading(path, count, text), -1);
  EXPECT_TRUE(env.messages.shown().empty());
}

TEST_F(DialogFilesTest, ConfirmedFileDialogsMoveTheLastFolder) {
  auto dialog = make();
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(in_folder("sites/north"))));
  env.files.queue_answer(QString::fromStdString(in_folder("sites/north/pump")));
  std::string path;
  ASSERT_EQ(dialog->save_record(path, dialog->fields().register_image(kParameterBlock), 1), 0);
  EXPECT_EQ(Configuration::instance().last_folder(), in_folder("sites/north/"));

  // The open dialog starts there and moves it again.
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(in_folder("sites/south"))));
  ASSERT_TRUE(QFile::copy(QString::fromStdString(path),
                          QString::fromStdString(in_folder("sites/south/pump.eta"))));
  env.files.queue_answer(QString::fromStdString(in_folder("sites/south/pump.eta")));
  auto reader = make(4);
  std::string open_path;
  int count = 0;
  std::string text;
  ASSERT_EQ(reader->open_for_reading(open_path, count, text), 0);
  EXPECT_EQ(open_path, in_folder("sites/south/pump.eta"));
  ASSERT_EQ(env.files.asked().size(), 2u);
  EXPECT_FALSE(env.files.asked()[1].save);
  EXPECT_EQ(env.files.asked()[1].request.folder.toStdString(), in_folder("sites/north/"));
  EXPECT_EQ(env.files.asked()[1].request.filter, "Setting File (*.eta)|*.eta|");
  EXPECT_EQ(Configuration::instance().last_folder(), in_folder("sites/south/"));

  // A save-as dialog of another kind (recording, export) uses the same rules.
  env.files.queue_answer(QString::fromStdString(in_folder("run1")));
  const auto chosen = dialog->choose_save_path("mes", "Measurement File (*.mes)|*.mes|", "run");
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, in_folder("run1.mes"));
  EXPECT_EQ(env.files.asked().back().request.default_name, "run");
  EXPECT_EQ(Configuration::instance().last_folder(), env.folder() + "/");
}

TEST_F(DialogFilesTest, TheHeaderTitleLineIsTheTitleShown) {
  auto dialog = env.make_dialog(&master, -1);
  EXPECT_EQ(dialog->default_extension(), "");
  // No title text id: the first line stays empty.
  dialog->build_header_text();
  EXPECT_EQ(dialog->header_text().rfind("\n" + internal_name() + "\n", 0), 0u);
  dialog->set_title_id(212);
  dialog->set_document_name("site.eta");
  dialog->build_header_text();
  EXPECT_EQ(dialog->header_text().rfind(dialog->windowTitle().toStdString() + "\n", 0), 0u);
}

}  // namespace
}  // namespace orvadw
