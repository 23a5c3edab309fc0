// The main window on the built-in simulated instrument: its menu in every
// language and modem state, Open choosing the window by the file's
// extension, Save all writing its three files in order and stopping at the
// first failure, the initialization sending the factory values to slave 0
// without touching the configuration's JBus number, and the frame monitor
// showing, pausing, saving and clearing the line's traffic.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "app/application.h"
#include "app/builtin_simulator.h"
#include "base/ini_file.h"
#include "dialogs/frame_monitor.h"
#include "dialogs/initialization_dialog.h"
#include "dialogs/settings_dialog.h"
#include "files/configuration.h"
#include "link/port_map.h"
#include "link/traffic_batch.h"
#include "sim/simulated_instrument.h"
#include "support/fresh_program_folder.h"
#include "support/signal_during_transfer.h"
#include "support/window_script.h"
#include "tests/support/hex_bytes.h"
#include "ui/dialog_template_registry.h"
#include "ui/menu_builder.h"
#include "ui/printer_choice.h"
#include "ui/named_message_registry.h"
#include "ui/scripted_file_dialog_service.h"
#include "ui/scripted_message_service.h"
#include "views/main_window.h"
#include "views/window_catalog.h"

namespace orvadw {
namespace {

using test::top_modal;
using test::WindowScript;

constexpr int kJBus = 7;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    home_ = dir_.path().toStdString() + "/";
    test::use_fresh_program_folder(home_);
    PortMap::instance().set_scan_devices(false);
    // English; 115200 baud without the Bluetooth pauses; slave 7.
    IniFile file(configuration_path());
    ASSERT_EQ(file.write_text("Language", "Language", "1.000000"), 0);
    ASSERT_EQ(file.write_text("Com", "Port", "0.000000"), 0);
    ASSERT_EQ(file.write_text("Com", "Bauds", "7.000000"), 0);
    ASSERT_EQ(file.write_text("Com", "JBus", "7.000000"), 0);
  }
  void TearDown() override {
    app_.reset();
    PortMap::instance().clear();
    Configuration::instance().set_use_modem(false);
    Configuration::instance().set_modem_connected(false);
  }

  std::string configuration_path() const { return home_ + "default.OrvadW10"; }
  std::string configured_jbus() const {
    return IniFile(configuration_path()).read("Com", "JBus").value_or("<missing>");
  }

  MainWindow& start(bool simulator = true) {
    app_ = std::make_unique<Application>(QStringList{});
    if (simulator) app_->use_simulator();
    EXPECT_EQ(app_->start(), 0);
    return app_->main_window();
  }
  sim::SimulatedInstrument& instrument() { return *app_->simulator()->instrument(); }

  // Runs the command as its menu item does (posted), and the script while it runs.
  static bool command(MainWindow& window, const char* message, WindowScript& script) {
    QAction* item = menu_item(window, message);
    if (item == nullptr) {
      ADD_FAILURE() << "no menu item for " << message;
      return false;
    }
    item->trigger();
    return script.run();
  }
  static QAction* menu_item(MainWindow& window, const char* message) {
    QAction* item = nullptr;
    for (QAction* popup : window.menu_bar()->actions()) {
      for (QAction* action : popup->menu()->actions()) {
        if (MenuBuilder::command_of(action) == QLatin1String(message)) item = action;
        if (action->menu() != nullptr) {
          for (QAction* sub : action->menu()->actions()) {
            if (MenuBuilder::command_of(sub) == QLatin1String(message)) item = sub;
          }
        }
      }
    }
    return item;
  }

  QTemporaryDir dir_;
  std::string home_;
  ScriptedMessageService messages_;
  ScopedMessageService message_scope_{&messages_};
  ScriptedFileDialogService files_;
  ScopedFileDialogService file_scope_{&files_};
  std::unique_ptr<Application> app_;
};

// A popup as one line: items separated by "|", "-" for a separator, "~"
// before a grayed item, a sub-popup as its title and its items in brackets.
std::string describe(const QMenu* menu) {
  std::string out;
  for (const QAction* action : menu->actions()) {
    if (!out.empty()) out += "|";
    if (action->isSeparator()) {
      out += "-";
      continue;
    }
    if (!action->isEnabled()) out += "~";
    out += action->text().toStdString();
    if (action->menu() != nullptr) out += "[" + describe(action->menu()) + "]";
  }
  return out;
}

std::vector<std::string> describe(const QMenuBar* bar) {
  std::vector<std::string> popups;
  for (const QAction* action : bar->actions()) {
    popups.push_back(action->text().toStdString() + ": " + describe(action->menu()));
  }
  return popups;
}

// The parameter blocks read, in order (the identification reads left out).
std::vector<int> blocks_read(TrafficBatch& traffic) {
  std::vector<int> blocks;
  for (const TrafficEvent& e : traffic.take().events) {
    if (e.kind != TrafficEvent::Kind::kSent || e.bytes.size() < 4 || e.bytes[1] != 3) continue;
    const int address = e.bytes[2] << 8 | e.bytes[3];
    if (address != 0xFF00 && address != 0x100 && (blocks.empty() || blocks.back() != address)) {
      blocks.push_back(address);
    }
  }
  return blocks;
}

TEST_F(MainWindowTest, TheMenuFollowsTheLanguageAndTheModemState) {
  const bool esc = find_window_factory(window_name::kEsc) != nullptr;
  const std::string esc_en = esc ? "&ESC info" : "~&ESC info";
  const std::string esc_de = esc ? "ESC-&Info" : "~ESC-&Info";
  struct Case {
    int language_setting;
    bool use_modem;
    bool connected;
    std::vector<std::string> popups;
  };
  const std::vector<Case> cases = {
      {1, false, false,
       {"&File: &Open|-|&New[&Settings|-|Analog Output Settings|-|Special &Settings]|-|&Exit",
        "&Dialogue: &Measurement|-|&Settings|-|&Logger|-|Analog Output Settings|-|" + esc_en +
            "|-|Special &Settings|-|&Initalization|&Print all|-|&Save all",
        "&Option: &Option|-|&Save Option File As...|&Load Option File|-|&Frame Monitor",
        "&About...: &About..."}},
      {1, true, false,
       {"&File: &Open|-|&New[&Settings|-|Analog Output Settings|-|Special &Settings]|-|&Exit",
        "&Dialogue: &Measurement|-|&Settings|-|&Logger|-|Analog Output Settings|-|" + esc_en +
            "|-|Special &Settings|-|&Initalization|&Print all|-|&Save all",
        "&Modem desconnected: &Connect",
        "&Option: &Option|-|&Save Option File As...|&Load Option File|-|&Frame Monitor",
        "&About...: &About..."}},
      {1, true, true,
       {"&File: &Open|-|&New[&Settings|-|Analog Output Settings|-|Special &Settings]|-|&Exit",
        "&Dialogue: &Measurement|-|&Settings|-|&Logger|-|Analog Output Settings|-|" + esc_en +
            "|-|Special &Settings|-|&Initalization|&Print all|-|&Save all",
        "&Modem connected: &Disconnect",
        "&Option: ~&Option|-|~&Save Option File As...|~&Load Option File|-|&Frame Monitor",
        "&About...: &About..."}},
      {3, false, true,  // connected without the modem in use counts for nothing
       {"&Datei: &Öffnen|-|&Neu[&Einstellungen|-|Einstellung der Analogausgänge|-|"
        "Spe&zialeinstellungen]|-|&Beenden",
        "D&ialog: &Messung|-|&Einstellungen|-|&Logger|-|Einstellung der Analogausgänge|-|" +
            esc_de + "|-|Spe&zialeinstellungen|-|I&nitialisierung|Alles &drucken|-|Alles &speichern",
        "&Konfiguration: &Konfiguration|-|Konfigurationsdatei &speichern unter...|"
        "Konfigurationsdatei &laden|-|&Telegrammmonitor",
        "&Über...: &Über..."}},
      {0, true, true,
       {"&Fichier: &Ouvrir|-|&Nouveau[&Paramétrage|-|Réglages des sorties courant|-|"
        "Réglage S&pécial]|-|&Quitter",
        std::string("&Dialogue: &Mesure|-|&Paramétrage|-|&Logger|-|Réglages des sorties courant|-|") +
            (esc ? "" : "~") +
            "&Info ESC|-|Réglage S&pécial|-|I&nitialisation|&Imprimer tout|-|&Sauvegarder tout",
        "&Modem connecté: &Déconnecter",
        "&Configuration: ~&Configuration|-|~&Enregistrer fichier de config sous...|"
        "~Ch&arger fichier de config|-|&Moniteur de trames",
        "&A propos...: &A propos..."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("language setting " + std::to_string(c.language_setting) + " modem " +
                 std::to_string(c.use_modem) + std::to_string(c.connected));
    ASSERT_EQ(IniFile(configuration_path())
                  .write_text("Language", "Language", std::to_string(c.language_setting) + ".000000"),
              0);
    app_.reset();
    MainWindow& window = start(false);
    Configuration::instance().set_use_modem(c.use_modem);
    Configuration::instance().set_modem_connected(c.connected);
    window.build_menu();
    EXPECT_EQ(describe(window.menu_bar()), c.popups);
    // A rebuild replaces the popups, it does not add to them.
    window.build_menu();
    EXPECT_EQ(window.menu_bar()->actions().size(), static_cast<qsizetype>(c.popups.size()));
  }
}

TEST_F(MainWindowTest, ModemCommandsDoNothingWithoutTheModemAndStayDisconnectedWhenTheDialFails) {
  MainWindow& window = start(false);  // COM1 leads nowhere
  window.modem_connect();
  window.modem_disconnect();
  EXPECT_TRUE(messages_.shown().empty()) << "no modem window without the modem in use";

  Configuration::instance().set_use_modem(true);
  window.build_menu();
  WindowScript dial;
  dial.wait("the port's message", [&] { return !messages_.shown().empty(); })
      .wait("the modem window gone", [] { return QApplication::activeModalWidget() == nullptr; });
  ASSERT_TRUE(command(window, msg::kMenuModemConnect, dial)) << dial.failure();
  EXPECT_FALSE(Configuration::instance().modem_connected());
  EXPECT_EQ(window.menu_bar()->actions()[2]->text(), "&Modem desconnected");
}

// Save all with the name site1: the settings, the output points and the
// special settings, read in that order and saved each in its file; then
// Open finds a file's window by its extension, and a text file opens
// nothing.
TEST_F(MainWindowTest, SaveAllWritesItsThreeFilesInOrderAndOpenFindsTheirWindows) {
  MainWindow& window = start();
  auto traffic = std::make_shared<TrafficBatch>();
  window.master().set_traffic_tap(traffic);
  const std::string base = home_ + "site1";
  files_.queue_answer(QString::fromStdString(base));
  WindowScript save;
  save.wait("three windows read and saved", [&] {
    return QApplication::activeModalWidget() == nullptr && files_.pending() == 0;
  });
  ASSERT_TRUE(command(window, msg::kMenuSaveAll, save)) << save.failure();
  ASSERT_EQ(files_.asked().size(), 1u);
  EXPECT_TRUE(files_.asked()[0].save);
  EXPECT_EQ(files_.asked()[0].request.filter, "File (*.eta;*.sa;*.rsp)|*.eta;*.sa;*.rsp;|");
  // The blocks each window reads, in the order they were asked for.
  EXPECT_EQ(blocks_read(*traffic), (std::vector<int>{0x1000, 0x3000, 0x4000}));
  for (const char* extension : {".eta", ".sa", ".rsp"}) {
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(base + extension))) << extension;
  }
  EXPECT_EQ(Configuration::instance().last_folder(), home_);

  // Open: the file's window by its extension, in mode 4 (each kind's match
  // is proven below Qt and end to end).
  files_.queue_answer(QString::fromStdString(base + ".sa"));
  QString opened_class;
  int opened_mode = 0;
  WindowScript open;
  open.step("the file's window", [] { return top_modal<CommunicatingDialog>() != nullptr; },
            [&] {
              auto* shown = top_modal<CommunicatingDialog>();
              opened_class = QString::fromLatin1(shown->metaObject()->className());
              opened_mode = shown->start_mode();
              shown->close();
            })
      .wait("the window closed", [] { return QApplication::activeModalWidget() == nullptr; });
  ASSERT_TRUE(command(window, msg::kMenuOpen, open)) << open.failure();
  EXPECT_EQ(opened_class.toStdString(), "orvadw::AnalogOutputDialog");
  EXPECT_EQ(opened_mode, 4);
  const QString filter = files_.asked().back().request.filter;
  EXPECT_TRUE(filter.startsWith("File (*.eta, *.mes, *.log, *.sa, ")) << filter.toStdString();
  EXPECT_FALSE(files_.asked().back().save);

  std::ofstream(home_ + "notes.txt") << "not ours";
  EXPECT_EQ(window.open_path(home_ + "notes.txt"), QDialog::Rejected);
  EXPECT_TRUE(messages_.shown().empty());
}

TEST_F(MainWindowTest, SaveAllStopsAtTheFirstWindowThatFails) {
  MainWindow& window = start(false);  // no instrument: the first read fails
  files_.queue_answer(QString::fromStdString(home_ + "site2"));
  WindowScript save;
  save.wait("the failure said", [&] { return !messages_.shown().empty(); })
      .wait("no window left", [] { return QApplication::activeModalWidget() == nullptr; });
  ASSERT_TRUE(command(window, msg::kMenuSaveAll, save)) << save.failure();
  EXPECT_EQ(messages_.shown().size(), 1u) << "the windows after the first are not run";
  for (const char* extension : {".eta", ".sa", ".rsp"}) {
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(home_ + "site2" + extension)));
  }
}

// Each window reads and prints by itself; the next runs only when the one
// before closed with OK: with a printer all three print, without one only the
// settings are read.
TEST_F(MainWindowTest, PrintAllRunsEachWindowOnlyAfterTheOneBeforeClosedWithOk) {
  MainWindow& window = start();
  PdfPrinterChoice printers(QString::fromStdString(home_ + "sheet.pdf"));
  ScopedPrinterChoice printer_scope(&printers);
  for (const bool printer_present : {true, false}) {
    printers.set_default_printer(printer_present);
    auto traffic = std::make_shared<TrafficBatch>();
    window.master().set_traffic_tap(traffic);
    int printed = -1;
    QTimer::singleShot(0, [&] { printed = window.print_all(); });
    WindowScript script;
    script.wait("print all done", [&] { return printed != -1; }, std::chrono::seconds(60));
    ASSERT_TRUE(script.run()) << script.failure();
    window.master().set_traffic_tap(nullptr);
    if (printer_present) {
      EXPECT_EQ(printed, 3);
      EXPECT_EQ(blocks_read(*traffic), (std::vector<int>{0x1000, 0x3000, 0x4000}));
      ASSERT_EQ(printers.files().size(), 3u);
      for (const QString& file : printers.files()) {
        QFile pdf(file);
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << file.toStdString();
        EXPECT_TRUE(pdf.read(5) == "%PDF-") << file.toStdString();
      }
    } else {
      EXPECT_EQ(printed, 0);
      EXPECT_EQ(blocks_read(*traffic), std::vector<int>{0x1000});
      EXPECT_EQ(printers.files().size(), 3u) << "nothing more printed";
    }
  }
}

// Reads the configuration's JBus number each time a request goes out, so
// that the test sees it during the transfer, not only afterwards.
class ConfigurationWatch : public TrafficTap {
 public:
  ConfigurationWatch(std::string path) : path_(std::move(path)) {}
  void on_traffic(const TrafficEvent& event) override {
    if (event.kind != TrafficEvent::Kind::kSent || event.bytes.size() < 4) return;
    jbus_seen.insert(IniFile(path_).read("Com", "JBus").value_or("<missing>"));
    if (event.bytes[1] == 16) writes.push_back({event.bytes[0], event.bytes[2] << 8 | event.bytes[3]});
  }
  std::set<std::string> jbus_seen;
  std::vector<std::pair<int, int>> writes;  // slave, address

 private:
  std::string path_;
};

TEST_F(MainWindowTest, InitializationSendsTheFactoryValuesToSlaveZeroAndLeavesTheConfigurationAlone) {
  MainWindow& window = start();
  ASSERT_EQ(instrument().jbus(), kJBus);
  instrument().set_registers(0x3000, std::vector<std::uint8_t>(14, 0x5A));
  auto watch = std::make_shared<ConfigurationWatch>(configuration_path());
  window.master().set_traffic_tap(watch);
  int result = -1;
  WindowScript init;
  init.step("the initialization window", [] { return top_modal<InitializationDialog>() != nullptr; },
            [&] {
              auto* dialog = top_modal<InitializationDialog>();
              EXPECT_TRUE(dialog->settings_chosen());
              EXPECT_TRUE(dialog->outputs_chosen());
              QObject::connect(dialog, &QDialog::finished, [&](int r) { result = r; });
              auto* transfer = qobject_cast<QPushButton*>(
                  find_control(dialog, InitializationDialog::kTransferButton));
              ASSERT_NE(transfer, nullptr);
              transfer->click();
            })
      .wait("every window closed", [&] { return result != -1 && !QApplication::activeModalWidget(); },
            std::chrono::seconds(30));
  ASSERT_TRUE(command(window, msg::kMenuInitialization, init)) << init.failure();
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_TRUE(messages_.shown().empty());
  EXPECT_EQ(watch->jbus_seen, std::set<std::string>{"7.000000"}) << "never 0 in the file";
  EXPECT_EQ(configured_jbus(), "7.000000");
  ASSERT_FALSE(watch->writes.empty());
  std::set<int> written;
  for (const auto& [slave, address] : watch->writes) {
    EXPECT_EQ(slave, 0) << std::hex << address;
    written.insert(address);
  }
  EXPECT_TRUE(written.count(0x1000));
  EXPECT_TRUE(written.count(0x3000));
  // The output points' factory values: 1160 and 60500, twice.
  EXPECT_EQ(test::hex(instrument().registers(0x3000, 7)), "00 00 00 00 00 00 04 88 EC 54 04 88 EC 54");
}

// A stop request (a session ending) while a window reads the instrument:
// the read is not cut, and the window and the program end right after it
// without anyone closing them.
TEST_F(MainWindowTest, AStopRequestDuringAReadEndsTheProgramOnceTheReadIsComplete) {
  MainWindow& window = start();
  auto traffic = std::make_shared<TrafficBatch>();
  window.master().set_traffic_tap(traffic);
  test::SignalDuringTransfer stop;
  test::Watchdog watchdog(std::chrono::seconds(20));
  QTimer::singleShot(0, [&] { menu_item(window, msg::kMenuSettings)->trigger(); });
  EXPECT_EQ(app_->run(), 0);
  EXPECT_TRUE(stop.raised());
  EXPECT_FALSE(watchdog.fired()) << "a window stayed open after the read";
  EXPECT_EQ(blocks_read(*traffic), std::vector<int>{0x1000});
  EXPECT_TRUE(messages_.shown().empty());
}

TEST_F(MainWindowTest, TheFrameMonitorShowsPausesSavesAndClearsTheTraffic) {
  MainWindow& window = start();
  WindowScript open_monitor;
  open_monitor.wait("the monitor", [&] { return window.frame_monitor() != nullptr; });
  ASSERT_TRUE(command(window, msg::kMenuFrameMonitor, open_monitor)) << open_monitor.failure();
  FrameMonitor& monitor = *window.frame_monitor();
  EXPECT_TRUE(monitor.isVisible());
  EXPECT_FALSE(monitor.isModal());
  EXPECT_EQ(monitor.windowTitle(), "Frame Monitor");

  // A settings window reads the instrument and is closed.
  auto read_settings = [&] {
    WindowScript read;
    read.step("the settings read", [] {
                auto* settings = top_modal<SettingsDialog>();
                return settings != nullptr && !settings->progress_shown() && settings->isVisible();
              },
              [] { top_modal<SettingsDialog>()->close(); })
        .wait("closed", [] { return QApplication::activeModalWidget() == nullptr; });
    return command(window, msg::kMenuSettings, read) ? std::string() : read.failure();
  };
  ASSERT_EQ(read_settings(), "");
  monitor.refresh();
  const std::string first = monitor.log().lines().front();
  EXPECT_EQ(first.substr(12), " > 07 03 ff 00 00 19 b4 72") << first;
  const QStringList shown = monitor.list()->toPlainText().split('\n');
  EXPECT_EQ(static_cast<std::size_t>(shown.size()), monitor.log().lines().size());
  EXPECT_NE(monitor.list()->toPlainText().indexOf("= 0 success (attempt 1)"), -1);

  // Paused, the list stands still; resumed, what came meanwhile follows.
  const std::size_t before = monitor.log().lines().size();
  monitor.pause_button()->click();
  EXPECT_TRUE(monitor.paused());
  EXPECT_EQ(monitor.pause_button()->text(), "Resume");
  ASSERT_EQ(read_settings(), "");
  monitor.refresh();
  EXPECT_EQ(monitor.log().lines().size(), before);
  monitor.pause_button()->click();
  EXPECT_FALSE(monitor.paused());
  EXPECT_GT(monitor.log().lines().size(), before);

  // A reader at the end follows the traffic; one who scrolled up keeps the
  // place. The window is made small enough for the lines to overflow it.
  monitor.resize(monitor.width(), monitor.minimumSizeHint().height());
  QCoreApplication::processEvents();
  QScrollBar* bar = monitor.list()->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0) << "more lines than the window shows";
  bar->setValue(bar->maximum());
  const int end_before = bar->maximum();
  ASSERT_EQ(read_settings(), "");
  monitor.refresh();
  EXPECT_GT(bar->maximum(), end_before);
  EXPECT_EQ(bar->value(), bar->maximum());
  bar->setValue(0);
  ASSERT_EQ(read_settings(), "");
  monitor.refresh();
  EXPECT_EQ(bar->value(), 0);

  files_.queue_answer(QString::fromStdString(home_ + "trace"));
  ASSERT_TRUE(monitor.press_save());
  std::ifstream in(home_ + "trace.txt", std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), monitor.list()->toPlainText().toStdString() + "\n");
  EXPECT_EQ(files_.asked().back().request.filter, "Text File (*.txt)|*.txt|");

  files_.queue_answer(QString::fromStdString(home_ + "missing/trace.txt"));
  EXPECT_FALSE(monitor.press_save());
  ASSERT_EQ(messages_.shown().size(), 1u);
  EXPECT_TRUE(messages_.shown()[0].text.startsWith("Can not open destination file !"));

  monitor.clear_button()->click();
  EXPECT_TRUE(monitor.log().lines().empty());
  EXPECT_TRUE(monitor.list()->toPlainText().isEmpty());

  // Closed, it no longer watches: the link has no tap to feed.
  monitor.close();
  EXPECT_FALSE(monitor.watching());
}

}  // namespace
}  // namespace orvadw
