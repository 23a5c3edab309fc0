// Start-up and shutdown of the application object in a private program
// folder: the configuration files of a first run, a configuration named on
// the command line, the switches and the port map, the main window's title,
// and the last folder saved when the main window closes (by its close box,
// Escape or a termination signal).
#include "app/application.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <csignal>
#include <functional>
#include <sys/stat.h>

#include "app/window_entry.h"
#include "support/signal_during_transfer.h"
#include "support/window_script.h"
#include "views/main_window.h"
#include "base/ini_file.h"
#include "base/text_table.h"
#include "files/configuration.h"
#include "link/port_map.h"
#include "tests/support/file_contents.h"
#include "ui/named_message_registry.h"
#include "ui/scripted_message_service.h"

namespace orvadw {
namespace {

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    home_ = dir_.path().toStdString() + "/";
    // The process-wide configuration starts afresh in this folder.
    Configuration::instance().set_program_folder(home_);
    Configuration::instance().set_search_path("");
    Configuration::instance().set_last_folder("");
    PortMap::instance().clear();
  }
  void TearDown() override {
    PortMap::instance().clear();
    PortMap::instance().set_scan_devices(false);
  }

  static std::string value(const std::string& file, const char* section, const char* key) {
    return IniFile(file).read(section, key).value_or("<missing>");
  }
  // Runs the program's main loop; action runs once the main window shows.
  static int run_until(Application& app, const std::function<void(QDialog&)>& action) {
    QDialog& window = app.main_window();
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (window.isVisible()) {
        poll.stop();
        action(window);
      } else if (waited.elapsed() > 20000) {
        poll.stop();
        ADD_FAILURE() << "the main window never showed";
        window.done(QDialog::Rejected);
      }
    });
    poll.start(10);
    return app.run();
  }

  QTemporaryDir dir_;
  std::string home_;
};

TEST_F(ApplicationTest, FirstRunPreparesTheProgramFolder) {
  Application app({});
  EXPECT_EQ(app.start(), 0);
  const std::string configuration = home_ + "default.OrvadW10";
  EXPECT_EQ(Configuration::instance().configuration_path(), configuration);
  EXPECT_EQ(value(home_ + "last.cfg", "LastConfig", "LastConfig"), configuration);
  EXPECT_EQ(value(configuration, "Test", "Test"), "Ok");
  EXPECT_TRUE(test::is_directory(home_ + "Data"));
  EXPECT_EQ(Configuration::instance().last_folder(), home_ + "Data/");
  EXPECT_FALSE(Configuration::instance().use_modem());
  EXPECT_FALSE(Configuration::instance().modem_connected());
  // The window messages exist before any window does.
  EXPECT_NE(NamedMessageRegistry::name_of(message_id(msg::kEditLostFocus)), "");
}

TEST_F(ApplicationTest, AConfigurationOnTheCommandLineIsUsedAndRecorded) {
  const std::string site = home_ + "site.cfg";
  {
    IniFile file(site);
    ASSERT_EQ(file.write_text("Modem", "Use modem", "0.000000"), 0);
    ASSERT_EQ(file.write_text("Ports", "COM7", "sim:bench7"), 0);
    ASSERT_EQ(file.write_text("Test", "Test", "Ok"), 0);
    ASSERT_EQ(file.write_text("File Save", "Path File Save", home_ + "sites/"), 0);
  }
  Configuration::instance().set_modem_connected(true);
  Application app({QString::fromStdString(site), "ignored"});
  EXPECT_EQ(app.start(), 0);
  EXPECT_EQ(Configuration::instance().configuration_path(), site);
  EXPECT_EQ(value(home_ + "last.cfg", "LastConfig", "LastConfig"), site);
  EXPECT_TRUE(Configuration::instance().use_modem()) << "Use modem = 0 turns the modem on";
  EXPECT_FALSE(Configuration::instance().modem_connected()) << "never connected at start-up";
  EXPECT_EQ(PortMap::instance().device_for(7), "sim:bench7");
  EXPECT_EQ(Configuration::instance().last_folder(), home_ + "sites/");

  // The next start without an argument comes back to it.
  Application again({});
  EXPECT_EQ(again.start(), 0);
  EXPECT_EQ(Configuration::instance().configuration_path(), site);
}

TEST_F(ApplicationTest, TheMainWindowShowsTheProgramAndItsConfiguration) {
  EXPECT_EQ(MainWindow::program_title(), "OrvadW 10c");
  EXPECT_EQ(MainWindow::configuration_name("/a/b/site.one.cfg"), "site.one");

  Application app({});
  ASSERT_EQ(app.start(), 0);
  MainWindow& window = app.main_window();
  EXPECT_EQ(&app.main_window(), &window) << "one main window";
  EXPECT_EQ(window.windowTitle(), "OrvadW 10c   -   default");
  EXPECT_FALSE(window.master().is_connected());
}

TEST_F(ApplicationTest, ClosingTheMainWindowSavesTheLastFolderAndDestroysIt) {
  Application app({});
  ASSERT_EQ(app.start(), 0);
  QPointer<QDialog> window = &app.main_window();
  Configuration::instance().set_last_folder(home_ + "chosen/");
  EXPECT_EQ(run_until(app, [](QDialog& w) { w.close(); }), 0);
  EXPECT_TRUE(window.isNull()) << "the main window goes at the end";
  EXPECT_EQ(value(home_ + "default.OrvadW10", "File Save", "Path File Save"), home_ + "chosen/");
}

TEST_F(ApplicationTest, EscapeEndsTheProgramAndEnterDoesNot) {
  Application app({});
  ASSERT_EQ(app.start(), 0);
  bool still_open_after_enter = false;
  Configuration::instance().set_last_folder(home_ + "esc/");
  EXPECT_EQ(run_until(app,
                      [&](QDialog& w) {
                        QTest::keyClick(&w, Qt::Key_Return);
                        still_open_after_enter = w.isVisible();
                        QTest::keyClick(&w, Qt::Key_Escape);
                      }),
            0);
  EXPECT_TRUE(still_open_after_enter);
  EXPECT_EQ(value(home_ + "default.OrvadW10", "File Save", "Path File Save"), home_ + "esc/");
}

TEST_F(ApplicationTest, ATerminationSignalLeavesThroughTheNormalEnd) {
  Application app({});
  ASSERT_EQ(app.start(), 0);
  Configuration::instance().set_last_folder(home_ + "signalled/");
  EXPECT_EQ(run_until(app, [](QDialog&) { std::raise(SIGTERM); }), 0);
  EXPECT_EQ(value(home_ + "default.OrvadW10", "File Save", "Path File Save"),
            home_ + "signalled/");
}

TEST_F(ApplicationTest, ATerminationSignalDuringStartUpEndsTheProgramOnceTheLoopRuns) {
  {
    Application app({});
    ASSERT_EQ(app.start(), 0);
    Configuration::instance().set_last_folder(home_ + "early/");
    // Before the main window exists: the default action would kill the
    // program here and lose the last folder.
    std::raise(SIGTERM);
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(value(home_ + "default.OrvadW10", "File Save", "Path File Save"), home_ + "early/");
  }
  // Once the program object is gone, so are its handlers.
  struct sigaction now {};
  ::sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

// One window alone from the command line, asked to stop while its first read
// runs on the built-in simulated instrument: it ends right after the read,
// as if cancelled, without anyone closing it.
TEST_F(ApplicationTest, AStopRequestDuringAWindowsFirstReadEndsItOnceTheReadIsDone) {
  ScriptedMessageService messages;
  ScopedMessageService scoped(&messages);
  Application app({});
  app.use_simulator();
  ASSERT_EQ(app.start(), 0);
  test::SignalDuringTransfer stop;
  test::Watchdog watchdog(std::chrono::seconds(20));
  EXPECT_EQ(app.run_window(WindowRequest{QStringLiteral("settings"), 1, {}}), 1);
  EXPECT_TRUE(stop.raised());
  EXPECT_FALSE(watchdog.fired()) << "the window stayed open after the read";
  EXPECT_TRUE(messages.shown().empty()) << "the read itself went through";
}

TEST_F(ApplicationTest, WithTheModemInUseAConnectDialsThroughTheModemWindow) {
  Application app({});
  ASSERT_EQ(app.start(), 0);
  MainWindow& window = app.main_window();
  ScriptedMessageService messages;
  ScopedMessageService scoped(&messages);
  // COM1 leads nowhere, so the modem window cannot open the line: it says
  // so and ends without a connection, which the link reports as cancelled.
  PortMap::instance().set_scan_devices(false);
  bool connected = false;
  const int rc = window.master().connect(1, 5, 'N', 8, 1, /*use_modem=*/true, connected);
  EXPECT_EQ(rc, result::kModemCancelled);
  EXPECT_FALSE(connected);
  ASSERT_FALSE(messages.shown().empty()) << "the modem window reports the port";
  EXPECT_EQ(messages.shown()[0].text.toStdString(), text_of(78, window.language()));
}

}  // namespace
}  // namespace orvadw

namespace orvadw {
namespace {

TEST(ApplicationOptionsTest, OptionsAloneEditTheCurrentConfigurationAndEndTheProgram) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string home = dir.path().toStdString() + "/";
  Configuration::instance().set_program_folder(home);
  Configuration::instance().set_search_path("");
  PortMap::instance().clear();
  PortMap::instance().set_scan_devices(false);
  ScriptedMessageService messages;
  ScopedMessageService scope(&messages);
  messages.queue_answer(MessageService::kYes);

  Application app({});
  ASSERT_EQ(app.start(), 0);
  QString title;
  QTimer poll;
  QElapsedTimer waited;
  waited.start();
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* options = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (options == nullptr) {
      if (waited.elapsed() > 20000) QCoreApplication::exit(1);
      return;
    }
    poll.stop();
    title = options->windowTitle();
    auto* jbus = options->findChild<QLineEdit*>(QStringLiteral("jbus"));
    ASSERT_NE(jbus, nullptr);
    jbus->setFocus();
    jbus->selectAll();
    QTest::keyClicks(jbus, QStringLiteral("42"));
    options->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
  });
  poll.start(10);
  EXPECT_EQ(app.run_options(), 0);
  // French until the file says otherwise.
  EXPECT_EQ(title.toStdString(), text_of(199, kFrench));
  EXPECT_EQ(IniFile(home + "default.OrvadW10").read("Com", "JBus").value_or(""), "42.000000");
  PortMap::instance().clear();
}

}  // namespace
}  // namespace orvadw
