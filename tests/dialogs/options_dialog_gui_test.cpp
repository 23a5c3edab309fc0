// The options window over a real configuration file: what it shows, its
// rules, the save question and what Yes and No leave in the file, the
// language switched at once, and Autosearch finding the simulated instrument
// through the search window.
#include "dialogs/options_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <thread>

#include "base/text_table.h"
#include "dialogs/search_dialog.h"
#include "base/ini_file.h"
#include "files/settings_store.h"
#include "link/jbus_master.h"
#include "support/dialog_test_env.h"
#include "ui/choice_list.h"
#include "ui/message_service.h"
#include "ui/notifying_button.h"
#include "ui/number_field.h"

namespace orvadw {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

QString text_in(int id, int language) { return QString::fromStdString(text_of(id, language)); }

// Types into a field as a user does, then leaves it.
void type_into(QLineEdit* field, const QString& text) {
  field->setFocus();
  field->selectAll();
  QTest::keyClicks(field, text);
  field->clearFocus();
}

// Picks a list entry as a user does (these lists show their items in
// their own order, so the value is the position).
void pick(ChoiceList* list, int value) {
  ASSERT_NE(list->currentIndex(), value);
  list->setCurrentIndex(value);
  emit list->activated(value);
}

class OptionsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(env_.valid()); }
  std::string stored(const char* section, const char* key) {
    return IniFile(env_.configuration_path()).read(section, key).value_or("<missing>");
  }
  test::DialogTestEnv env_;
  JBusMaster master_;
};

TEST_F(OptionsDialogTest, ShowsTheFileWithItsDefaultsAndClosesWithoutAQuestionWhenUnchanged) {
  env_.set_link(2, 4, 17);
  SettingsStore(env_.configuration_path()).write_text("Modem", "Telefon number", "0123");
  OptionsDialog dialog(&master_, nullptr, env_.configuration_path());
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), text_in(199, kEnglish));
  EXPECT_EQ(dialog.pages()->tabText(0), text_in(99, kEnglish));
  EXPECT_EQ(dialog.pages()->tabText(1), text_in(136, kEnglish));
  EXPECT_EQ(dialog.port_list()->count(), 255);
  EXPECT_EQ(dialog.port_list()->selected_value(), 2);
  EXPECT_TRUE(dialog.port_list()->selected_text().startsWith(QStringLiteral("Com 3")));
  EXPECT_EQ(dialog.baud_list()->selected_text(), QStringLiteral("4800"));
  EXPECT_EQ(dialog.jbus_field()->text(), QStringLiteral("17"));
  EXPECT_EQ(dialog.sample_time()->text(), QStringLiteral("1"));  // the key table's default
  EXPECT_EQ(dialog.phone()->text(), QStringLiteral("0123"));
  EXPECT_EQ(dialog.init_string()->text(), QStringLiteral("&F S95=0 E0 Q0 V1 W2 &K0 M0"));
  EXPECT_EQ(dialog.use_modem_list()->selected_text(), QStringLiteral("No"));
  const std::string before = stored("Com", "JBus");
  EXPECT_FALSE(dialog.changed());
  dialog.ok_button()->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(env_.messages.shown().empty());
  EXPECT_EQ(stored("Com", "JBus"), before);
}

TEST_F(OptionsDialogTest, AnEditAsksBeforeSavingYesWritesEveryFieldNoWritesNothing) {
  env_.set_link(0, 5, 1);
  {
    OptionsDialog dialog(&master_, nullptr, env_.configuration_path());
    ASSERT_TRUE(test::show_active(&dialog));
    type_into(dialog.jbus_field(), QStringLiteral("300"));  // above 255: limited
    type_into(dialog.record_lap_time(), QStringLiteral("45"));
    pick(dialog.baud_list(), 2);
    EXPECT_TRUE(dialog.changed());
    env_.messages.queue_answer(MessageService::kNo);
    dialog.ok_button()->click();
    ASSERT_EQ(env_.messages.shown().size(), 1u);
    EXPECT_TRUE(env_.messages.shown()[0].question);
    EXPECT_EQ(env_.messages.shown()[0].text, text_in(182, kEnglish));
    EXPECT_EQ(env_.messages.shown()[0].caption, text_in(4, kEnglish));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  EXPECT_EQ(stored("Com", "JBus"), "1.000000");
  EXPECT_EQ(stored("File Save", "Record Lap Time"), "<missing>");

  env_.messages.clear();
  OptionsDialog dialog(&master_, nullptr, env_.configuration_path());
  ASSERT_TRUE(test::show_active(&dialog));
  type_into(dialog.jbus_field(), QStringLiteral("300"));
  type_into(dialog.record_lap_time(), QStringLiteral("45"));
  pick(dialog.baud_list(), 2);
  env_.messages.queue_answer(MessageService::kYes);
  dialog.ok_button()->click();
  EXPECT_EQ(stored("Com", "JBus"), "255.000000");
  EXPECT_EQ(stored("Com", "Bauds"), "2.000000");
  EXPECT_EQ(stored("Com", "Port"), "0.000000");
  EXPECT_EQ(stored("File Save", "Record Lap Time"), "45.000000");
  EXPECT_EQ(stored("Modem", "Telefon number"), "");
  EXPECT_EQ(stored("Modem", "Use modem"), "1.000000");
  EXPECT_EQ(stored("Modem", "Initalisation string"), "&F S95=0 E0 Q0 V1 W2 &K0 M0");
  EXPECT_EQ(stored("File Save", "Sample Record Time"), "1.000000");
}

TEST_F(OptionsDialogTest, APortIndexOutsideTheListCountsAsAChange) {
  env_.set_link(300, 5, 1);
  OptionsDialog dialog(&master_, nullptr, env_.configuration_path());
  dialog.show();
  EXPECT_TRUE(dialog.changed());
  EXPECT_EQ(dialog.port_list()->selected_value(), 0);
  env_.messages.queue_answer(MessageService::kYes);
  dialog.ok_button()->click();
  ASSERT_EQ(env_.messages.shown().size(), 1u);
  EXPECT_EQ(stored("Com", "Port"), "0.000000");
}

TEST_F(OptionsDialogTest, TheLanguageChangesAtOnceAndTheModemChoiceGovernsTheFields) {
  OptionsDialog dialog(&master_, nullptr, env_.configuration_path());
  ASSERT_TRUE(test::show_active(&dialog));
  EXPECT_TRUE(dialog.autosearch_button()->isEnabled());
  EXPECT_FALSE(dialog.phone()->isEnabled());
  EXPECT_FALSE(dialog.dial_list()->isEnabled());

  pick(dialog.language_list(), 3);  // Deutsch
  EXPECT_EQ(dialog.shown_language(), kGerman);
  EXPECT_EQ(dialog.windowTitle(), text_in(199, kGerman));
  EXPECT_EQ(dialog.pages()->tabText(0), text_in(99, kGerman));
  EXPECT_EQ(dialog.autosearch_button()->text(), text_in(58, kGerman));
  EXPECT_EQ(dialog.use_modem_list()->selected_text(), text_of(27, 1, kGerman).c_str());

  pick(dialog.use_modem_list(), OptionValues::kYes);
  EXPECT_FALSE(dialog.autosearch_button()->isEnabled());
  for (QWidget* field : std::initializer_list<QWidget*>{
           dialog.phone(), dialog.dial_list(), dialog.init_string(), dialog.disconnect_string(),
           dialog.answer_timeout()}) {
    EXPECT_TRUE(field->isEnabled()) << field->objectName().toStdString();
  }
  // The question comes in the language the window speaks now.
  env_.messages.queue_answer(MessageService::kYes);
  dialog.ok_button()->click();
  ASSERT_EQ(env_.messages.shown().size(), 1u);
  EXPECT_EQ(env_.messages.shown()[0].text, text_in(182, kGerman));
  EXPECT_EQ(stored("Language", "Language"), "3.000000");
  EXPECT_EQ(stored("Modem", "Use modem"), "0.000000");
}

// Answers the search window once its search has ended; records what it showed.
struct SearchWatcher {
  QString status;
  QString try_text;
  bool seen = false;
  void arm() {
    QTimer::singleShot(20, [this] { look(); });
  }
  void look() {
    auto* search = qobject_cast<SearchDialog*>(QApplication::activeModalWidget());
    if (search == nullptr || search->search_running()) {
      arm();
      return;
    }
    seen = true;
    status = search->status_label()->text();
    try_text = search->try_label()->text();
    search->button()->click();
  }
};

TEST_F(OptionsDialogTest, AutosearchFindsTheInstrumentAndFillsTheLinkFields) {
  sim::InstrumentOptions instrument;
  instrument.jbus = 23;
  env_.attach(instrument);
  master_.set_answer_timeout(200);
  OptionsDialog dialog(&master_, nullptr, env_.configuration_path());
  ASSERT_TRUE(test::show_active(&dialog));
  SearchWatcher watcher;
  watcher.arm();
  dialog.autosearch_button()->click();
  ASSERT_TRUE(watcher.seen);
  // The search window speaks the current configuration's language.
  EXPECT_FALSE(watcher.status.isEmpty());
  EXPECT_EQ(dialog.port_list()->selected_value(), test::kSimCom - 1);
  EXPECT_EQ(dialog.baud_list()->selected_value(), 6);  // the simulator hears every speed
  EXPECT_EQ(dialog.jbus_field()->text(), QStringLiteral("23"));
  EXPECT_TRUE(dialog.changed());
  EXPECT_FALSE(master_.is_connected());
}

// An instrument that never answers, behind the test's COM number.
void attach_silent(test::DialogTestEnv& env) {
  sim::FaultOptions silent;
  silent.drop = 1.0;
  env.attach({}, silent);
}

TEST(SearchDialogTest, ShowsTheTriesAndItsOutcomeAndCancelEndsItAtOnce) {
  test::DialogTestEnv env;
  attach_silent(env);
  JBusMaster master;
  master.set_answer_timeout(3000);
  SearchDialog search(&master, 0xFF00, 25, 1, 7);
  EXPECT_EQ(search.try_text(3, 5), QStringLiteral("Com 3 - 9600 bauds"));
  EXPECT_EQ(search.try_text(1, 6), QStringLiteral("Com 1 - BlueTooth"));
  search.set_ports({test::kSimCom});
  search.show();
  ASSERT_TRUE(test::spin_until([&] { return !search.try_label()->text().isEmpty(); }));
  EXPECT_TRUE(search.search_running());
  EXPECT_TRUE(search.try_label()->text().contains(QStringLiteral(" - ")));
  const auto asked = Clock::now();
  search.button()->click();
  ASSERT_TRUE(test::spin_until([&] { return !search.isVisible(); }, milliseconds(3000)));
  EXPECT_LT(Clock::now() - asked, milliseconds(100 + 400));  // goal 100 ms; room for a loaded CI
  EXPECT_EQ(search.result(), QDialog::Rejected);
  EXPECT_EQ(search.found_port(), -1);
  EXPECT_EQ(search.found_jbus_number(), -1);
}

TEST(SearchDialogTest, NothingAnsweringSaysSoWithOk) {
  test::DialogTestEnv env;
  attach_silent(env);
  JBusMaster master;
  master.set_answer_timeout(30);
  SearchDialog search(&master, 0xFF00, 25, 1, 7);
  search.set_ports({test::kSimCom, 77});  // COM77 has no device
  search.show();
  ASSERT_TRUE(test::spin_until([&] { return !search.search_running(); }));
  EXPECT_EQ(search.status_label()->text(), QString::fromStdString(text_of(59, kFrench)));
  EXPECT_EQ(search.button()->text(), QStringLiteral("Ok"));
  EXPECT_EQ(search.progress_bar()->value(), search.progress_bar()->maximum());
  EXPECT_EQ(search.found_port(), -1);
  search.button()->click();
  EXPECT_EQ(search.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace orvadw
