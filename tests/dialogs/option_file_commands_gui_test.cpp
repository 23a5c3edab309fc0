// The main window's option commands as its menu will call them, with the
// save and open dialogs answered by script: Save As onto the current file,
// Save As under a new name, Load Option File with its port map; the about
// box; and the start-up logo as the main window loads it.
#include "dialogs/option_file_commands.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QTemporaryDir>

#include "base/ini_file.h"
#include "base/program_identity.h"
#include "base/text_table.h"
#include "dialogs/about_box.h"
#include "dialogs/start_logo.h"
#include "files/configuration.h"
#include "files/settings_store.h"
#include "link/port_map.h"
#include "tests/support/file_contents.h"
#include "ui/dialog_root.h"
#include "ui/message_service.h"
#include "ui/scripted_file_dialog_service.h"
#include "ui/scripted_message_service.h"

namespace orvadw {
namespace {

QString english(int id) { return QString::fromStdString(text_of(id, kEnglish)); }

// The process-wide configuration pointed at a private program folder with an
// English current file, and put back afterwards.
class OptionCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    Configuration& c = Configuration::instance();
    saved_folder_ = c.program_folder();
    saved_path_ = c.configuration_path();
    c.set_program_folder(home_);
    current_ = home_ + "/site.OrvadW10";
    SettingsStore(current_).write_number("Language", "Language", 1);
    ASSERT_EQ(c.load_configuration(current_), 0);
    c.read_switches();
    owner_ = std::make_unique<DialogRoot>(0);
  }
  void TearDown() override {
    owner_.reset();
    Configuration& c = Configuration::instance();
    c.set_program_folder(saved_folder_);
    if (!saved_path_.empty()) c.load_configuration(saved_path_);
    c.set_use_modem(false);
    PortMap::instance().clear();
  }
  std::string last_config() const {
    return IniFile(home_ + "/last.cfg").read("LastConfig", "LastConfig").value_or("<missing>");
  }

  QTemporaryDir dir_;
  std::string home_ = dir_.path().toStdString();
  std::string current_;
  std::string saved_folder_;
  std::string saved_path_;
  ScriptedMessageService messages_;
  ScopedMessageService message_scope_{&messages_};
  ScriptedFileDialogService files_;
  ScopedFileDialogService file_scope_{&files_};
  std::unique_ptr<DialogRoot> owner_;
};

TEST_F(OptionCommandsTest, SavingUnderItsOwnNameSaysSoAndChangesNothing) {
  const std::string before = test::read_file(current_);
  files_.queue_answer(QString::fromStdString(current_));
  messages_.queue_answer(MessageService::kYes);  // "replace it?": the file exists
  EXPECT_FALSE(save_option_file_as(*owner_));
  ASSERT_EQ(files_.asked().size(), 1u);
  EXPECT_TRUE(files_.asked()[0].save);
  EXPECT_EQ(files_.asked()[0].request.folder.toStdString() + "/",
            Configuration::instance().program_folder() + "/");
  EXPECT_EQ(files_.asked()[0].request.filter, QStringLiteral("Config File (*.OrvadW10)|*.OrvadW10||"));
  ASSERT_EQ(messages_.shown().size(), 2u);
  EXPECT_TRUE(messages_.shown()[0].question);
  EXPECT_EQ(messages_.shown()[1].text, english(70));
  EXPECT_EQ(messages_.shown()[1].caption, english(74));
  EXPECT_EQ(Configuration::instance().configuration_path(), current_);
  EXPECT_EQ(last_config(), current_);
  EXPECT_EQ(test::read_file(current_), before);
}

TEST_F(OptionCommandsTest, SavingUnderANewNameSwitchesToTheCopyAndRetitlesTheWindow) {
  files_.queue_answer(QString::fromStdString(home_ + "/field"));  // the extension is added
  EXPECT_TRUE(save_option_file_as(*owner_));
  const std::string copy = home_ + "/field.OrvadW10";
  EXPECT_TRUE(messages_.shown().empty());
  EXPECT_EQ(Configuration::instance().configuration_path(), copy);
  EXPECT_EQ(last_config(), copy);
  EXPECT_EQ(test::read_file(copy), test::read_file(current_));
  EXPECT_EQ(owner_->document_name().toStdString(),
            configuration_document_name(copy).toStdString());
  EXPECT_EQ(configuration_document_name(copy).toStdString(), home_ + "/field");
}

TEST_F(OptionCommandsTest, LoadingAFileMakesItCurrentWithItsPortMap) {
  const std::string other = home_ + "/bench.OrvadW10";
  SettingsStore store(other);
  store.write_text("Ports", "COM7", "/dev/ttyUSB9");
  store.write_number("Modem", "Use modem", 0);
  Configuration::instance().set_last_folder(home_ + "/where/");
  files_.queue_answer(QString::fromStdString(other));
  EXPECT_TRUE(load_option_file(*owner_));
  EXPECT_FALSE(files_.asked()[0].save);
  EXPECT_EQ(Configuration::instance().configuration_path(), other);
  EXPECT_EQ(last_config(), other);
  EXPECT_EQ(PortMap::instance().device_for(7), "/dev/ttyUSB9");
  EXPECT_TRUE(Configuration::instance().use_modem());
  // The folder of the file dialogs stays with the file that was current.
  EXPECT_EQ(IniFile(current_).read("File Save", "Path File Save").value_or(""), home_ + "/where/");
  EXPECT_EQ(owner_->document_name().toStdString(), home_ + "/bench");

  files_.queue_cancel();
  EXPECT_FALSE(load_option_file(*owner_));
  EXPECT_EQ(Configuration::instance().configuration_path(), other);
}

TEST_F(OptionCommandsTest, TheAboutBoxNamesTheProgramItsVersionAndCopyright) {
  AboutBox about(owner_.get());
  about.show();
  EXPECT_EQ(about.windowTitle(), english(197));
  EXPECT_EQ(about.text_label()->text(),
            QStringLiteral("Application : ") + QString::fromStdString(internal_name()) +
                QStringLiteral("\n\nVersion : ") + QString::fromStdString(file_version()) +
                QStringLiteral("\n\n") + QString::fromStdString(legal_copyright()));
  EXPECT_EQ(about.text_label()->alignment(), Qt::AlignCenter);
  EXPECT_EQ(about.text_label()->font().pointSize(), 8);
  // No start-up logo here: the program's own picture.
  EXPECT_FALSE(Configuration::instance().logo_available());
  EXPECT_FALSE(about.picture()->pixmap().isNull());
}

TEST_F(OptionCommandsTest, TheStartLogoIsLoadedOnlyAtItsOwnSizeAndDepth) {
  const auto save = [&](int width, QImage::Format format) {
    QImage image(width, 446, format);
    if (format == QImage::Format_Indexed8) {
      image.setColorCount(2);
      image.setColor(0, qRgb(0, 0, 0));
      image.setColor(1, qRgb(255, 255, 255));
    }
    image.fill(1);
    return image.save(QString::fromStdString(home_ + "/logo.bmp"), "BMP");
  };
  EXPECT_TRUE(load_start_logo(home_ + "/").isNull());  // none
  ASSERT_TRUE(save(563, QImage::Format_Indexed8));
  const QImage logo = load_start_logo(home_ + "/");
  ASSERT_FALSE(logo.isNull());
  EXPECT_EQ(logo.size(), QSize(563, 446));
  ASSERT_TRUE(save(564, QImage::Format_Indexed8));
  EXPECT_TRUE(load_start_logo(home_ + "/").isNull());
  ASSERT_TRUE(save(563, QImage::Format_RGB32));
  EXPECT_TRUE(load_start_logo(home_ + "/").isNull());
}

}  // namespace
}  // namespace orvadw
