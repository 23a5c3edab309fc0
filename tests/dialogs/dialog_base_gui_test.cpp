// What every instrument window's base does around the values it reads and
// sends: a value still being typed is finished before anything reads it, a
// window that ends itself while it initialises never hangs its caller, the
// please-wait window sits over its dialog and gives the focus back, Qt's
// own buttons speak the window's language, and a field without its control
// is reported.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include "dialogs/communicating_dialog.h"
#include "dialogs/modem_dialog.h"
#include "files/settings_store.h"
#include "link/jbus_master.h"
#include "support/dialog_test_env.h"
#include "tests/support/hex_bytes.h"
#include "ui/control_takeover.h"
#include "ui/dialog_template_registry.h"
#include "ui/field_binder.h"
#include "ui/named_message_registry.h"
#include "ui/notifying_button.h"
#include "ui/number_field.h"
#include "ui/qt_translations.h"

namespace orvadw {
namespace {

using test::DialogTestEnv;
using test::hex;

constexpr int kFormTemplate = 9311;
constexpr int kLimited = 9411;  // 0..100, "%0.1f", U16 at byte 0 of block 0x1000
constexpr int kOther = 9412;
constexpr int kSendButton = 1317;

// A dialog whose Send button (the default one, taking no focus) records the
// bytes it would send.
class SendingDialog : public CommunicatingDialog {
 public:
  SendingDialog(const std::string& configuration)
      : CommunicatingDialog(kFormTemplate, nullptr, -1, 2, nullptr, configuration) {
    add_fields({
        {kLimited, 0, 0, kind::kEdit, 0, "10", 0, 0, 0, 100, "%0.1f", value_type::kU16, 0, 0x1000,
         -1},
        {kOther, 0, 0, kind::kEdit, 0, "0", 0, 0, 0, 100, "%0.f", value_type::kU16, 2, 0x1000, -1},
    });
  }
  std::vector<std::string> sent;
  int rules_run = 0;

 protected:
  void init_dialog() override {
    CommunicatingDialog::init_dialog();
    auto* send = take_over<NotifyingButton>(this, kSendButton, this, kSendButton);
    send->setDefault(true);
    send->setFocusPolicy(Qt::NoFocus);
  }
  int on_edit_done() override {
    ++rules_run;
    return 0;
  }
  void on_button_click(int control, qint64) override {
    if (control == kSendButton) sent.push_back(hex(fields().encode(0x1000)));
  }
};

void register_form() {
  DialogTemplateRegistry::add(kFormTemplate, [](QWidget* target) {
    auto* layout = new QVBoxLayout(target);
    for (int id : {kLimited, kOther}) {
      auto* edit = new QLineEdit;
      edit->setObjectName(control_name(id));
      layout->addWidget(edit);
    }
    auto* send = new QPushButton(QStringLiteral("Send"));
    send->setObjectName(control_name(kSendButton));
    layout->addWidget(send);
  });
}

class DialogBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(env.valid());
    register_form();
  }
  // Types text into the limited field, which keeps the focus.
  NumberField* type_into_limited(SendingDialog& dialog, const char* text) {
    auto* field = dialog.binder()->number_field(kLimited);
    field->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    field->selectAll();
    QTest::keyClicks(field, text);
    return field;
  }
  DialogTestEnv env;
};

TEST_F(DialogBaseTest, EnterSendsTheFinishedValueNotTheTypedText) {
  SendingDialog dialog(env.configuration_path());
  ASSERT_TRUE(test::show_active(&dialog));
  NumberField* field = type_into_limited(dialog, "150");
  QTest::keyClick(field, Qt::Key_Return);
  ASSERT_EQ(dialog.sent.size(), 1u) << "Enter clicks the default button";
  // 150 is over the maximum 100: sent as 100.0, that is 1000 tenths.
  EXPECT_EQ(dialog.sent[0].substr(0, 5), "03 E8");
  EXPECT_EQ(field->text(), "100.0");
  EXPECT_TRUE(field->hasFocus()) << "the focus never left the field";
  EXPECT_GE(dialog.rules_run, 1) << "the rules saw the finished value";
}

TEST_F(DialogBaseTest, AButtonThatTakesNoFocusAndTheCloseBoxFinishTheValueFirst) {
  SendingDialog dialog(env.configuration_path());
  ASSERT_TRUE(test::show_active(&dialog));
  type_into_limited(dialog, "7.25");
  auto* send = dialog.findChild<QPushButton*>(control_name(kSendButton));
  QTest::mouseClick(send, Qt::LeftButton);
  EXPECT_FALSE(send->hasFocus());
  ASSERT_EQ(dialog.sent.size(), 1u);
  EXPECT_EQ(dialog.sent[0].substr(0, 5), "00 48") << "7.2 written with its one decimal";

  type_into_limited(dialog, "42");
  dialog.close();
  EXPECT_EQ(dialog.fields().field(kLimited)->value_text(), "42.0");
  // Nothing pending: a second finish changes nothing and tells nobody.
  const int rules = dialog.rules_run;
  dialog.finish_editing();
  EXPECT_EQ(dialog.rules_run, rules);
}

// A dialog that gives up while it initialises, as a failed start-up read
// does.
class EndingDialog : public DialogRoot {
 public:
  explicit EndingDialog(const std::string& configuration) : DialogRoot(0, nullptr, configuration) {}

 protected:
  void init_dialog() override {
    DialogRoot::init_dialog();
    done(7);
  }
};

TEST_F(DialogBaseTest, ADialogThatEndsWhileItInitialisesReturnsAtOnce) {
  EndingDialog dialog(env.configuration_path());
  // Should exec() wait anyway, this ends the wait and the test fails.
  bool rescued = false;
  QTimer rescue;
  rescue.setSingleShot(true);
  QObject::connect(&rescue, &QTimer::timeout, [&] {
    rescued = true;
    dialog.QDialog::done(-1);
  });
  rescue.start(5000);
  EXPECT_EQ(dialog.exec(), 7);
  EXPECT_FALSE(rescued);
  EXPECT_FALSE(dialog.isVisible());
  // Shown without exec, it does not appear either.
  EndingDialog shown(env.configuration_path());
  shown.show();
  EXPECT_FALSE(shown.isVisible());
  EXPECT_EQ(shown.result(), 7);
}

TEST_F(DialogBaseTest, ThePleaseWaitWindowSitsOverItsDialogAndGivesTheFocusBack) {
  SendingDialog dialog(env.configuration_path());
  dialog.resize(500, 300);
  dialog.move(400, 300);
  ASSERT_TRUE(test::show_active(&dialog));
  auto* other = dialog.binder()->number_field(kOther);
  other->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();

  dialog.show_progress(true);
  const QRect over = dialog.frameGeometry();
  const QPoint centre = dialog.progress_window()->frameGeometry().center();
  EXPECT_LE((centre - over.center()).manhattanLength(), 4)
      << "at " << centre.x() << "," << centre.y() << " over " << over.center().x() << ","
      << over.center().y();
  dialog.show_progress(false);
  QApplication::processEvents();
  EXPECT_EQ(dialog.focusWidget(), other);
}

TEST_F(DialogBaseTest, QtsOwnButtonsSpeakTheWindowsLanguage) {
  SettingsStore(env.configuration_path()).write_number("Language", "Language", 0);  // French
  {
    SendingDialog french(env.configuration_path());
    EXPECT_EQ(qt_translations_language(), 1);
    QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), "Oui");
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "Non");
    JBusMaster master;
    ModemDialog modem(&master, nullptr, 1, env.configuration_path());
    auto* cancel = modem.findChild<QAbstractButton*>(control_name(2));
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text().remove('&'), "Annuler");
  }
  SettingsStore(env.configuration_path()).write_number("Language", "Language", 3);  // German
  SendingDialog german(env.configuration_path());
  QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "Nein");
  SettingsStore(env.configuration_path()).write_number("Language", "Language", 1);  // English
  SendingDialog english(env.configuration_path());
  QMessageBox plain(QMessageBox::Question, "", "", QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(plain.button(QMessageBox::Yes)->text().remove('&'), "Yes");
}

TEST_F(DialogBaseTest, AFieldWithoutItsControlIsReported) {
  SendingDialog dialog(env.configuration_path());
  dialog.initialise();
  EXPECT_TRUE(dialog.unbound_controls().empty());
  // A row naming a control the form does not have.
  dialog.add_fields(
      {{9499, 0, 0, kind::kEdit, 0, "1", 0, 0, 0, 9, "%0.f", value_type::kU8, 4, 0x1000, -1}});
  EXPECT_EQ(dialog.unbound_controls(), std::vector<int>{9499});
  // Its value still lives in the model and is sent.
  EXPECT_EQ(dialog.fields().encode(0x1000).size(), 5u);
}

}  // namespace
}  // namespace orvadw
