// The modem window against a scripted modem and against orvadw-sim's Hayes
// front end on a pseudo-terminal: what it logs, which message each answer
// leads to, how it ends, the program-wide connected flag, and that closing
// it while its worker reports never hangs.
#include "dialogs/modem_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "base/result_codes.h"
#include "base/text_table.h"
#include "files/configuration.h"
#include "files/settings_store.h"
#include "link/jbus_master.h"
#include "link/port_map.h"
#include "link/support/scripted_modem_line.h"
#include "support/dialog_test_env.h"
#include "tests/support/sim_process.h"
#include "ui/dialog_template_registry.h"
#include "ui/scripted_message_service.h"

namespace orvadw {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using test::ScriptedModemLine;

constexpr int kScriptCom = 51;  // Port 50 in the configuration
constexpr int kSimCom = 52;     // Port 51

QString english(int id) { return QString::fromStdString(text_of(id, kEnglish)); }

class ModemDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    config_ = dir_.filePath("modem.cfg").toStdString();
    SettingsStore store(config_);
    store.write_number("Language", "Language", 1);  // English
    store.write_number("Com", "Port", kScriptCom - 1);
    store.write_number("Com", "Bauds", 5);
    store.write_number("Modem", "Numerotation", 0);
    store.write_text("Modem", "Telefon number", "0123");
    Configuration::instance().set_modem_connected(false);
    line_ = ScriptedModemLine::create("dialog", kScriptCom);
    line_->set_script(test::hayes_script("CONNECT 9600"));
  }
  void TearDown() override { Configuration::instance().set_modem_connected(false); }

  void use_port(int com_number) {
    SettingsStore(config_).write_number("Com", "Port", com_number - 1);
  }

  // Shows the window and runs the event loop until it ends (bounded);
  // returns its result, or -1 when it did not end in time.
  int run(ModemDialog& dialog, milliseconds limit = milliseconds(30000)) {
    QEventLoop loop;
    int result = -1;
    QObject::connect(&dialog, &QDialog::finished, &loop, [&](int r) {
      result = r;
      loop.quit();
    });
    dialog.show();
    // The worker's first report waits for this loop: answers of the
    // scripted modem come at once, so a short silence may end them.
    master_.set_inter_char_timeout(60);
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    if (result == -1) loop.exec();
    return result;
  }

  // Runs the event loop until the condition holds (bounded).
  template <typename Condition>
  bool spin_until(Condition done, milliseconds within = milliseconds(15000)) {
    return test::spin_until(done, within);
  }

  std::vector<QString> shown_texts() const {
    std::vector<QString> out;
    for (const auto& s : messages_.shown()) out.push_back(s.text);
    return out;
  }

  QTemporaryDir dir_;
  std::string config_;
  std::shared_ptr<ScriptedModemLine> line_;
  JBusMaster master_;
  ScriptedMessageService messages_;
  ScopedMessageService message_scope_{&messages_};
};

TEST_F(ModemDialogTest, TemplateHasTheLogAndTheProgressBar) {
  ModemDialog dialog(&master_, nullptr, ModemDialog::kConnectMode, config_);
  auto* log = qobject_cast<QPlainTextEdit*>(find_control(&dialog, ModemDialog::kLogControl));
  ASSERT_NE(log, nullptr);
  EXPECT_TRUE(log->isReadOnly());
  EXPECT_NE(qobject_cast<QProgressBar*>(find_control(&dialog, ModemDialog::kProgressControl)),
            nullptr);
}

TEST_F(ModemDialogTest, ConnectLogsTheDialogueLiterallyAndEndsWithOk) {
  line_->set_script(test::hayes_script("CONNECT 9600 R&D 100%"));
  ModemDialog dialog(&master_, nullptr, ModemDialog::kConnectMode, config_);
  const auto started = Clock::now();
  EXPECT_EQ(run(dialog), QDialog::Accepted);
  EXPECT_GE(Clock::now() - started, milliseconds(2000));  // the settling wait
  EXPECT_EQ(dialog.windowTitle(), english(200));
  EXPECT_TRUE(messages_.shown().empty());
  EXPECT_EQ(line_->written(), "AT &F S95=0 E0 Q0 V1 W2 &K0 M0\r\nATDT0123\r\n");
  EXPECT_EQ(dialog.log_text(),
            english(102) + "AT &F S95=0 E0 Q0 V1 W2 &K0 M0\n\nOK\n\n" + english(154) +
                "ATDT0123\n\nCONNECT 9600 R&D 100%\n");
  EXPECT_FALSE(dialog.progress_timer_running());
  // The window itself does not claim the call: the link's connect does.
  EXPECT_FALSE(Configuration::instance().modem_connected());
}

TEST_F(ModemDialogTest, ProgressRunsWhileTheDialIsPendingAndCloseEndsItAtOnce) {
  line_->set_script([](ScriptedModemLine& line, const std::string& command) {
    if (command.rfind("ATD", 0) != 0) line.say("\r\nOK\r\n");  // the dial stays unanswered
  });
  ModemDialog dialog(&master_, nullptr, ModemDialog::kConnectMode, config_);
  dialog.show();
  master_.set_inter_char_timeout(60);
  ASSERT_TRUE(spin_until([&] { return dialog.progress() >= 2; }));
  auto* bar = qobject_cast<QProgressBar*>(find_control(&dialog, ModemDialog::kProgressControl));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->maximum(), 120);
  EXPECT_TRUE(dialog.progress_timer_running());
  EXPECT_TRUE(dialog.session().is_running());

  const auto asked = Clock::now();
  dialog.reject();
  EXPECT_LT(Clock::now() - asked, milliseconds(10000));  // not the 60 s dial wait
  EXPECT_FALSE(dialog.session().is_running());
  EXPECT_FALSE(dialog.progress_timer_running());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(ModemDialogTest, ClosingWhileTheWorkerWaitsForItsReport) {
  ModemDialog dialog(&master_, nullptr, ModemDialog::kConnectMode, config_);
  dialog.show();  // the worker starts and its first report waits for the event loop
  std::this_thread::sleep_for(milliseconds(200));
  const auto asked = Clock::now();
  dialog.done(QDialog::Rejected);  // without ever running the loop
  EXPECT_LT(Clock::now() - asked, milliseconds(10000));
  EXPECT_FALSE(dialog.session().is_running());
  EXPECT_TRUE(line_->written().empty());  // stopped before it sent anything
  QCoreApplication::processEvents();  // the undelivered report finds nobody
  EXPECT_TRUE(dialog.log_text().isEmpty());
}

TEST_F(ModemDialogTest, DestroyingTheWindowWhileItsWorkerReports) {
  line_->set_script([](ScriptedModemLine& line, const std::string& command) {
    if (command.rfind("ATD", 0) != 0) line.say("\r\nOK\r\n");
  });
  const auto asked = Clock::now();
  {
    auto dialog = std::make_unique<ModemDialog>(&master_, nullptr, ModemDialog::kConnectMode, config_);
    dialog->show();
    master_.set_inter_char_timeout(60);
    ASSERT_TRUE(spin_until([&] { return line_->commands().size() >= 2; }));
  }
  EXPECT_LT(Clock::now() - asked, milliseconds(20000));
  QCoreApplication::processEvents();
}

TEST_F(ModemDialogTest, InitialisationWithoutOkShowsItsMessageAndNeverDials) {
  line_->set_script([](ScriptedModemLine& line, const std::string&) { line.say("\r\nERROR\r\n"); });
  ModemDialog dialog(&master_, nullptr, ModemDialog::kConnectMode, config_);
  EXPECT_EQ(run(dialog), QDialog::Rejected);
  ASSERT_EQ(messages_.shown().size(), 1u);
  EXPECT_EQ(messages_.shown()[0].text, english(76));
  EXPECT_EQ(messages_.shown()[0].caption, english(4));
  EXPECT_EQ(line_->written(), "AT &F S95=0 E0 Q0 V1 W2 &K0 M0\r\n");
  EXPECT_TRUE(dialog.log_text().endsWith("ERROR\n\n"));
}

TEST_F(ModemDialogTest, ScriptedRefusalsShowTheirMessages) {
  struct Case {
    const char* answer;
    int message;
  };
  for (const Case c : {Case{"BUSY", 157}, Case{"NO DIALTONE", 163}}) {
    SCOPED_TRACE(c.answer);
    messages_.clear();
    line_->set_script(test::hayes_script(c.answer));
    ModemDialog dialog(&master_, nullptr, ModemDialog::kConnectMode, config_);
    EXPECT_EQ(run(dialog), QDialog::Rejected);
    EXPECT_EQ(shown_texts(), (std::vector<QString>{english(c.message)}));
    EXPECT_EQ(messages_.shown()[0].caption, english(4));
    EXPECT_TRUE(dialog.log_text().endsWith(QString::fromLatin1(c.answer) + "\n"));
  }
}

TEST_F(ModemDialogTest, NoCarrierShowsItsMessageThenHangsUpAndStaysOpenUntilDone) {
  line_->set_script(test::hayes_script("NO CARRIER"));
  Configuration::instance().set_modem_connected(false);
  ModemDialog dialog(&master_, nullptr, ModemDialog::kConnectMode, config_);
  const int result = run(dialog);
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_EQ(shown_texts(), (std::vector<QString>{english(164)}));
  EXPECT_EQ(line_->written(), "AT &F S95=0 E0 Q0 V1 W2 &K0 M0\r\nATDT0123\r\n+++AT H0\r\n");
  EXPECT_TRUE(dialog.log_text().endsWith("\n+++\n\nOK\n\n" + english(172) + "AT H0\n\nOK\n"));
  EXPECT_FALSE(Configuration::instance().modem_connected());
}

TEST_F(ModemDialogTest, APortThatCannotOpenEndsTheWindowWithItsMessage) {
  line_->set_open_failure(result::kNoSuchPort);
  ModemDialog dialog(&master_, nullptr, ModemDialog::kConnectMode, config_);
  EXPECT_EQ(run(dialog, milliseconds(10000)), QDialog::Rejected);
  EXPECT_EQ(shown_texts(), (std::vector<QString>{english(78)}));
  EXPECT_EQ(messages_.shown()[0].caption, english(74));
  EXPECT_TRUE(dialog.log_text().isEmpty());
  EXPECT_FALSE(dialog.session().is_running());
}

TEST_F(ModemDialogTest, HangUpWhenNotConnectedDoesNothing) {
  ModemDialog dialog(&master_, nullptr, ModemDialog::kHangUpMode, config_);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), english(201));
  // Give a worker (there should be none) time to do something.
  QTest::qWait(300);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.log_text().isEmpty());
  EXPECT_TRUE(messages_.shown().empty());
  EXPECT_FALSE(dialog.session().is_running());
  EXPECT_EQ(line_->opens(), 0);
  dialog.reject();
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ModemDialogTest, HangUpClearsTheProgramFlagAndEndsWithCancel) {
  Configuration::instance().set_modem_connected(true);
  ModemDialog dialog(&master_, nullptr, ModemDialog::kHangUpMode, config_);
  const int result = run(dialog);
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_FALSE(Configuration::instance().modem_connected());
  EXPECT_TRUE(messages_.shown().empty());
  EXPECT_EQ(line_->written(), "+++AT H0\r\n");
  EXPECT_EQ(dialog.log_text(), "\n+++\n\nOK\n\n" + english(172) + "AT H0\n\nOK\n");
}

TEST_F(ModemDialogTest, HangUpRefusedShowsDisconnectionFailed) {
  Configuration::instance().set_modem_connected(true);
  line_->set_script([](ScriptedModemLine& line, const std::string& command) {
    if (command == "+++") line.say("\r\nOK\r\n");
    else line.say("\r\nERROR\r\n");
  });
  ModemDialog dialog(&master_, nullptr, ModemDialog::kHangUpMode, config_);
  EXPECT_EQ(run(dialog), QDialog::Rejected);
  EXPECT_EQ(shown_texts(), (std::vector<QString>{english(165)}));
}

TEST_F(ModemDialogTest, TheLinkHookShowsTheWindowAndConnectsOnOk) {
  install_modem_connect_hook(master_, nullptr);
  // The hook builds its window on the current configuration.
  Configuration& configuration = Configuration::instance();
  const std::string saved_folder = configuration.program_folder();
  const std::string saved = configuration.configuration_path();
  configuration.set_program_folder(dir_.path().toStdString());
  ASSERT_EQ(configuration.load_configuration(config_), 0);
  bool connected = false;
  EXPECT_EQ(master_.connect(kScriptCom, 5, 'N', 8, 1, true, connected), 0);
  EXPECT_TRUE(connected);
  EXPECT_TRUE(Configuration::instance().modem_connected());
  // Connected: no window, no command.
  const auto written = line_->written();
  EXPECT_EQ(master_.connect(kScriptCom, 5, 'N', 8, 1, true, connected), 0);
  EXPECT_EQ(line_->written(), written);

  Configuration::instance().set_modem_connected(false);
  line_->set_script(test::hayes_script("BUSY"));
  bool again = false;
  EXPECT_EQ(master_.connect(kScriptCom, 5, 'N', 8, 1, true, again), result::kModemCancelled);
  EXPECT_FALSE(again);
  EXPECT_FALSE(Configuration::instance().modem_connected());
  EXPECT_EQ(shown_texts(), (std::vector<QString>{english(157)}));
  configuration.set_program_folder(saved_folder);
  if (!saved.empty()) configuration.load_configuration(saved);
}

// The real termios driver against the simulator's modem.
class ModemDialogPtyTest : public ModemDialogTest {
 protected:
  bool start_sim(const std::string& dial_answer) {
    if (!sim_.start({"--modem", "--dial-answer", dial_answer, "--dial-delay", "100",
                     "--guard-ms", "300"})) {
      return false;
    }
    PortMap::instance().set_device(kSimCom, sim_.link());
    use_port(kSimCom);
    return true;
  }
  test::SimProcess sim_;
};

TEST_F(ModemDialogPtyTest, ConnectThenHangUp) {
  ASSERT_TRUE(start_sim("CONNECT"));
  {
    ModemDialog dialog(&master_, nullptr, ModemDialog::kConnectMode, config_);
    EXPECT_EQ(run(dialog), QDialog::Accepted);
    EXPECT_TRUE(dialog.log_text().contains("ATDT0123\n\nCONNECT")) << dialog.log_text().toStdString();
  }
  Configuration::instance().set_modem_connected(true);
  {
    ModemDialog dialog(&master_, nullptr, ModemDialog::kHangUpMode, config_);
    EXPECT_EQ(run(dialog), QDialog::Rejected);
    EXPECT_TRUE(dialog.log_text().endsWith("AT H0\n\nOK\n"));
  }
  EXPECT_TRUE(messages_.shown().empty());
  master_.disconnect();
  ASSERT_EQ(sim_.stop(), 0);
  EXPECT_EQ(sim_.counts().at("modem_connects"), 1);
  EXPECT_EQ(sim_.counts().at("modem_hangups"), 1);
}

TEST_F(ModemDialogPtyTest, RefusedCallsShowTheirMessages) {
  struct Case {
    const char* answer;
    std::vector<int> messages;
  };
  // After NO CARRIER the modem is back in command mode, where "+++" gets no
  // answer: the hang-up that follows reports its failure too.
  for (const Case& c : {Case{"BUSY", {157}}, Case{"NO DIALTONE", {163}},
                        Case{"NO CARRIER", {164, 165}}}) {
    SCOPED_TRACE(c.answer);
    test::SimProcess sim;
    ASSERT_TRUE(sim.start({"--modem", "--dial-answer", c.answer, "--dial-delay", "100",
                           "--guard-ms", "300"}));
    PortMap::instance().set_device(kSimCom, sim.link());
    use_port(kSimCom);
    messages_.clear();
    {
      ModemDialog dialog(&master_, nullptr, ModemDialog::kConnectMode, config_);
      EXPECT_EQ(run(dialog), QDialog::Rejected);
      std::vector<QString> expected;
      for (int id : c.messages) expected.push_back(english(id));
      EXPECT_EQ(shown_texts(), expected);
    }
    master_.disconnect();
    ASSERT_EQ(sim.stop(), 0);
    EXPECT_EQ(sim.counts().at("modem_connects"), 0);
  }
}

}  // namespace
}  // namespace orvadw
