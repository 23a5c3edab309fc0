// The dialog root: language, title, message boxes, Escape and placement.
#include "ui/dialog_root.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "files/settings_store.h"
#include "support/qt_print.h"
#include "support/temp_settings.h"
#include "ui/box_message_service.h"
#include "ui/scripted_message_service.h"

namespace orvadw {
namespace {

using test::TempSettings;

class DialogRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(env.valid());
    env.set_language(1);  // English
  }
  std::unique_ptr<DialogRoot> make() {
    return std::make_unique<DialogRoot>(0, nullptr, env.configuration_path());
  }
  TempSettings env;
};

TEST_F(DialogRootTest, LanguageIsReadOnceAtConstruction) {
  auto dialog = make();
  EXPECT_EQ(dialog->language(), 2);
  EXPECT_EQ(dialog->text_of(74), "Error");
  EXPECT_EQ(dialog->text_of(23, 13), "Asbestos");
  EXPECT_EQ(dialog->text_of(23, 14), "");

  env.set_language(3);
  EXPECT_EQ(dialog->text_of(74), "Error") << "an open dialog keeps its language";
  EXPECT_EQ(make()->text_of(74), "Fehler");
}

TEST_F(DialogRootTest, AStoredLanguageOutsideTheTableFallsBackToFrench) {
  for (double stored : {4.0, -1.0, 1e300}) {
    env.set_language(stored);
    EXPECT_EQ(make()->language(), 1) << stored;
  }
  DialogRoot without_configuration(0, nullptr, "");
  EXPECT_EQ(without_configuration.language(), 1);
  EXPECT_EQ(without_configuration.text_of(74), "Erreur");
}

TEST_F(DialogRootTest, TitleIsRebuiltFromItsParts) {
  auto dialog = make();
  dialog->set_title_id(74);
  EXPECT_EQ(dialog->windowTitle(), "Error");
  dialog->set_document_name("site.eta");
  dialog->set_title_suffix(dialog->text_of(138));
  EXPECT_EQ(dialog->windowTitle(), "Error   -   site.eta (Changed)");

  // The custom title counts only while there is no title id.
  dialog->set_custom_title("Mine");
  EXPECT_EQ(dialog->windowTitle(), "Error   -   site.eta (Changed)");
  dialog->set_title_id(-1);
  EXPECT_EQ(dialog->windowTitle(), "Mine   -   site.eta (Changed)");
  dialog->set_custom_title("");
  dialog->set_title_suffix("");
  EXPECT_EQ(dialog->windowTitle(), "   -   site.eta");
  dialog->set_document_name("");
  EXPECT_EQ(dialog->windowTitle(), "");

  const QString long_name = "/home/tech/Data/" + QString(30, 'x') + ".eta";
  dialog->set_document_name(long_name);
  EXPECT_EQ(dialog->windowTitle(), "   -   /ho..." + long_name.right(34));
}

TEST_F(DialogRootTest, MessageBoxesShowTheTextsOfTheirIds) {
  ScriptedMessageService boxes;
  auto dialog = make();
  dialog->set_message_service(&boxes);
  dialog->show_error(73, 74);
  dialog->show_error(77, "/data/x.eta", 74);
  boxes.queue_answer(MessageService::kYes);
  EXPECT_EQ(dialog->ask(213, "", 4), MessageService::kYes);
  EXPECT_EQ(dialog->ask(182, "?", 4), MessageService::kNo);  // queue empty: no

  ASSERT_EQ(boxes.shown().size(), 4u);
  EXPECT_EQ(boxes.shown()[0].text, "connection failure! The unit does not answer! ");
  EXPECT_EQ(boxes.shown()[0].caption, "Error");
  EXPECT_EQ(boxes.shown()[0].icon, MessageService::Icon::Error);
  EXPECT_EQ(boxes.shown()[1].text, "Couldn't open source file : /data/x.eta");
  EXPECT_TRUE(boxes.shown()[2].question);
  EXPECT_EQ(boxes.shown()[2].text, "Do you want to transfer data to the device ?");
  EXPECT_EQ(boxes.shown()[2].caption, "Caution");
  EXPECT_EQ(boxes.shown()[3].text, "Save configuration file ??");
}

TEST_F(DialogRootTest, TheInstalledServiceAnswersDialogsWithoutOneOfTheirOwn) {
  ScriptedMessageService boxes;
  ScopedMessageService scope(&boxes);
  boxes.queue_answer(MessageService::kYes);
  auto dialog = make();
  EXPECT_EQ(dialog->ask(213, "", 4), MessageService::kYes);
  ASSERT_EQ(boxes.shown().size(), 1u);
}

// Answers the next modal box by pressing `button`; records its icon and text.
struct BoxAnswer {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString text;
  bool seen = false;
};

void answer_next_box(QMessageBox::StandardButton button, BoxAnswer* seen) {
  auto* timer = new QTimer;
  auto* clock = new QElapsedTimer;
  clock->start();
  QObject::connect(timer, &QTimer::timeout, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr && clock->elapsed() < 5000) return;
    timer->stop();
    timer->deleteLater();
    delete clock;
    if (box == nullptr) return;
    seen->seen = true;
    seen->icon = box->icon();
    seen->text = box->text();
    box->button(button)->click();
  });
  timer->start(10);
}

TEST_F(DialogRootTest, RealBoxesAreModalWithTheRightIconAndAnswer) {
  ScopedMessageService scope(nullptr);  // the real boxes
  auto dialog = make();
  BoxAnswer error;
  answer_next_box(QMessageBox::Ok, &error);
  dialog->show_error(78, 4);
  EXPECT_TRUE(error.seen);
  EXPECT_EQ(error.icon, QMessageBox::Critical);
  EXPECT_EQ(error.text, "Cannot open COM port !");

  BoxAnswer question;
  answer_next_box(QMessageBox::Yes, &question);
  EXPECT_EQ(dialog->ask(213, "", 4), MessageService::kYes);
  EXPECT_EQ(question.icon, QMessageBox::Question);
  answer_next_box(QMessageBox::No, &question);
  EXPECT_EQ(dialog->ask(213, "", 4), MessageService::kNo);
}

TEST_F(DialogRootTest, EscapeDoesNothingAndEnterStillWorks) {
  auto dialog = make();
  auto* edit = new QLineEdit(dialog.get());
  auto* ok = new QPushButton("OK", dialog.get());
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, dialog.get(), &QDialog::accept);
  dialog->show();
  edit->setFocus();
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  QTest::keyClick(edit, Qt::Key_Escape);
  QTest::keyClick(edit, Qt::Key_Escape, Qt::ShiftModifier);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

// Placement: what one dialog saves, the next one of that section restores.
class PlacementTest : public DialogRootTest {
 protected:
  std::unique_ptr<DialogRoot> make_placed(int flags) {
    auto dialog = make();
    dialog->set_registry_section("OrvadW Tests", "Placement");
    dialog->set_placement_flags(flags);
    return dialog;
  }
  QRect work_area() const { return QGuiApplication::primaryScreen()->availableGeometry(); }
  SettingsStore configuration() const { return SettingsStore(env.configuration_path()); }
};

TEST_F(PlacementTest, APlacementSavedOnCloseIsRestoredOnTheNextOpen) {
  {
    auto dialog = make_placed(DialogRoot::kSaveSize | DialogRoot::kSavePosition);
    dialog->show();
    dialog->resize(320, 210);
    dialog->move(60, 40);
    dialog->reject();
  }
  QSettings registry("OrvadW Tests", "Placement");
  EXPECT_EQ(registry.value(DialogRoot::kTopKey).toInt(), 40);
  EXPECT_EQ(registry.value(DialogRoot::kLeftKey).toInt(), 60);
  EXPECT_EQ(registry.value(DialogRoot::kWidthKey).toInt(), 320);
  EXPECT_EQ(registry.value(DialogRoot::kHeightKey).toInt(), 210);
  EXPECT_EQ(registry.value(DialogRoot::kStateKey).toInt(), 0);
  EXPECT_EQ(configuration().read_number("Placement", DialogRoot::kTopKey, -1), 40);
  EXPECT_EQ(configuration().read_number("Placement", DialogRoot::kHeightKey, -1), 210);

  auto again = make_placed(DialogRoot::kSaveSize | DialogRoot::kSavePosition);
  again->show();
  EXPECT_EQ(again->pos(), QPoint(60, 40));
  EXPECT_EQ(again->size(), QSize(320, 210));
}

TEST_F(PlacementTest, TheConfigurationCopyWinsOverThePerUserCopy) {
  QSettings registry("OrvadW Tests", "Placement");
  registry.setValue(DialogRoot::kTopKey, 10);
  registry.setValue(DialogRoot::kLeftKey, 20);
  registry.sync();
  configuration().write_number("Placement", DialogRoot::kTopKey, 70);
  // No left in the configuration: the per-user value stands.
  auto dialog = make_placed(DialogRoot::kSavePosition);
  dialog->resize(100, 100);
  dialog->show();
  EXPECT_EQ(dialog->pos(), QPoint(20, 70));
}

TEST_F(PlacementTest, RestoredWindowsAreKeptOnTheWorkArea) {
  const QRect area = work_area();
  auto config = configuration();
  config.write_number("Placement", DialogRoot::kTopKey, -50);
  config.write_number("Placement", DialogRoot::kLeftKey, 30);
  config.write_number("Placement", DialogRoot::kWidthKey, 200);
  config.write_number("Placement", DialogRoot::kHeightKey, 150);
  auto dialog = make_placed(DialogRoot::kSaveSize | DialogRoot::kSavePosition);
  dialog->show();
  EXPECT_EQ(dialog->pos(), QPoint(30, 0));

  // Taller than the work area: top 0.
  config.write_number("Placement", DialogRoot::kTopKey, 100);
  config.write_number("Placement", DialogRoot::kHeightKey, area.height() + 80);
  auto tall = make_placed(DialogRoot::kSaveSize | DialogRoot::kSavePosition);
  tall->show();
  EXPECT_EQ(tall->pos().y(), 0);

  // Reaching below the bottom: moved up to end on it.
  config.write_number("Placement", DialogRoot::kTopKey, area.bottom() - 50);
  config.write_number("Placement", DialogRoot::kHeightKey, 150);
  auto low = make_placed(DialogRoot::kSaveSize | DialogRoot::kSavePosition);
  low->show();
  EXPECT_EQ(low->frameGeometry().bottom(), area.bottom());
}

TEST_F(PlacementTest, FlagsChooseWhatIsRestored) {
  auto config = configuration();
  config.write_number("Placement", DialogRoot::kTopKey, 33);
  config.write_number("Placement", DialogRoot::kLeftKey, 44);
  config.write_number("Placement", DialogRoot::kWidthKey, 210);
  config.write_number("Placement", DialogRoot::kHeightKey, 160);

  auto size_kept = make_placed(DialogRoot::kSaveSize | DialogRoot::kKeepSize |
                               DialogRoot::kSavePosition);
  size_kept->resize(300, 250);
  size_kept->show();
  EXPECT_EQ(size_kept->size(), QSize(300, 250));
  EXPECT_EQ(size_kept->pos(), QPoint(44, 33));

  auto position_kept = make_placed(DialogRoot::kSaveSize | DialogRoot::kSavePosition |
                                   DialogRoot::kKeepPosition);
  position_kept->show();
  EXPECT_EQ(position_kept->size(), QSize(210, 160));
  EXPECT_NE(position_kept->pos(), QPoint(44, 33));

  // Centring on a work area at the origin.
  auto centred = make_placed(DialogRoot::kSaveSize | DialogRoot::kCentre);
  centred->show();
  const QRect area = work_area();
  const QSize outer = centred->frameGeometry().size();  // the frame counts
  EXPECT_EQ(centred->pos(),
            QPoint((area.width() - outer.width()) / 2, (area.height() - outer.height()) / 2));
}

TEST_F(PlacementTest, NothingIsSavedOrRestoredWithoutAFullSection) {
  auto config = configuration();
  config.write_number("", DialogRoot::kTopKey, 33);
  auto dialog = make();
  dialog->set_registry_section("OrvadW Tests", "");
  dialog->set_placement_flags(DialogRoot::kSaveSize | DialogRoot::kSavePosition);
  dialog->show();
  dialog->move(12, 13);
  dialog->reject();
  dialog.reset();
  QSettings registry("OrvadW Tests", "");
  EXPECT_TRUE(registry.allKeys().isEmpty());
  EXPECT_TRUE(QSettings("OrvadW Tests", "Placement").allKeys().isEmpty());
}

TEST_F(PlacementTest, GarbageSizesInTheConfigurationLeaveTheDialogUsable) {
  auto config = configuration();
  config.write_text("Placement", DialogRoot::kWidthKey, "abc");
  config.write_text("Placement", DialogRoot::kHeightKey, "-400");
  auto dialog = make_placed(DialogRoot::kSaveSize);
  dialog->resize(250, 180);
  dialog->show();
  EXPECT_EQ(dialog->size(), QSize(250, 180));
}

TEST_F(PlacementTest, DestroyingAnOpenDialogSavesItsPlacement) {
  {
    auto dialog = make_placed(DialogRoot::kSavePosition);
    dialog->show();
    dialog->move(90, 91);
  }
  EXPECT_EQ(configuration().read_number("Placement", DialogRoot::kLeftKey, -1), 90);
  EXPECT_EQ(configuration().read_number("Placement", DialogRoot::kTopKey, -1), 91);
  // Only the flagged values are written.
  EXPECT_EQ(configuration().read_number("Placement", DialogRoot::kWidthKey, -1), -1);
}

}  // namespace
}  // namespace orvadw
