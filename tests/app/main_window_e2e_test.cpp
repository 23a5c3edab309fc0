// The whole program on the X display the suite provides, on its built-in
// simulated instrument, driven through its menu with the keyboard as a
// technician would: Alt and the menu's letter, the arrow keys, Return. The
// program runs its own modal loop (Application::run); the script works
// inside it. Each test leaves pictures of the windows it saw in the build's
// test-output/screenshots folder.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "app/application.h"
#include "app/builtin_simulator.h"
#include "base/ini_file.h"
#include "dialogs/frame_monitor.h"
#include "dialogs/initialization_dialog.h"
#include "dialogs/options_dialog.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/special_settings_dialog.h"
#include "files/configuration.h"
#include "link/port_map.h"
#include "sim/simulated_instrument.h"
#include "support/fresh_program_folder.h"
#include "support/window_script.h"
#include "tests/support/hex_bytes.h"
#include "ui/choice_list.h"
#include "ui/dialog_template_registry.h"
#include "ui/number_field.h"
#include "views/logger_view.h"
#include "views/main_window.h"
#include "views/measurement_view.h"

namespace orvadw {
namespace {

// The real display, chosen before the test main would pick offscreen.
const bool on_the_display = [] {
  const char* display = std::getenv("DISPLAY");
  if (display != nullptr && *display != '\0' && std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "xcb", 1);
  }
  return true;
}();

using test::open_popup;
using test::screenshot;
using test::top_modal;
using test::WindowScript;

// Counts the times a frame monitor's window was blocked by a modal one.
class BlockWatch : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::WindowBlocked && qobject_cast<FrameMonitor*>(watched) != nullptr) {
      ++monitor_blocked;
    }
    return false;
  }
  int monitor_blocked = 0;
};

class MainWindowE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    (void)on_the_display;
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
      GTEST_SKIP() << "no X display (the suite runs these tests under xvfb-run)";
    }
    ASSERT_TRUE(dir_.isValid());
    home_ = dir_.path().toStdString() + "/";
    test::use_fresh_program_folder(home_);
    // English, 115200 baud without the Bluetooth pauses, slave 1.
    IniFile file(home_ + "default.OrvadW10");
    ASSERT_EQ(file.write_text("Language", "Language", "1.000000"), 0);
    ASSERT_EQ(file.write_text("Com", "Bauds", "7.000000"), 0);
    app_ = std::make_unique<Application>(QStringList{});
    app_->use_simulator();
    ASSERT_EQ(app_->start(), 0);
    instrument_ = app_->simulator()->instrument();
  }
  void TearDown() override {
    app_.reset();
    PortMap::instance().clear();
  }

  MainWindow& window() { return app_->main_window(); }
  // Held here: the program lets its simulator go when it ends.
  sim::SimulatedInstrument& instrument() { return *instrument_; }

  // Steps that bring the main window to the front (as a click on it would)
  // and choose a menu item with the keyboard.
  void menu(WindowScript& script, const QString& popup, const QString& item) {
    MainWindow* w = &window();
    script
        .step("the main window, " + item.toStdString(),
              [this] { return main_on_top(); },
              [w] {
                w->activateWindow();
                QApplication::setActiveWindow(w);
              })
        .step("the main window active", [w] { return w->isActiveWindow(); },
              [w, popup] { test::open_menu_by_keys(w, popup); })
        .step("the popup " + popup.toStdString(),
              [w, popup] {
                QMenu* open = open_popup();
                return open != nullptr && open->title() == popup;
              },
              [item] { EXPECT_TRUE(test::choose_item_by_keys(open_popup(), item)) << item.toStdString(); });
  }

  // Runs the program with the script inside it; the script ends it with
  // Escape. True when the script ran and the program ended normally.
  bool run(WindowScript& script) {
    MainWindow* w = &window();
    script.step("the end", [this] { return main_on_top(); },
                [w] { QTest::keyClick(w, Qt::Key_Escape); });
    bool ran = false;
    QTimer::singleShot(0, [&] {
      ran = script.run();
      // A failed script closed every window; the main one goes too.
      if (!ran && w->isVisible()) w->done(QDialog::Rejected);
    });
    const int status = app_->run();
    EXPECT_EQ(status, 0);
    return ran;
  }
  // True when the main window is the one on top (nothing opened over it).
  bool main_on_top() { return QApplication::activeModalWidget() == &window() && !open_popup(); }

  QTemporaryDir dir_;
  std::string home_;
  std::unique_ptr<Application> app_;
  std::shared_ptr<sim::SimulatedInstrument> instrument_;
};

// Settings from the instrument: one value changed by typing, Transfer with
// its question answered by a key, and the value read back by a second
// Settings window.
TEST_F(MainWindowE2eTest, SettingsAreReadChangedTransferredAndReadBack) {
  QString read_back;
  WindowScript script;
  script.wait("the main window shown", [this] { return window().isVisible(); })
      .step("", [] { return true; }, [this] { screenshot(&window(), "main_window"); });
  menu(script, "&Dialogue", "&Settings");
  script
      .step("the settings read",
            [] {
              auto* s = top_modal<SettingsDialog>();
              return s != nullptr && s->isVisible() && !s->progress_shown();
            },
            [] {
              auto* settings = top_modal<SettingsDialog>();
              auto* field = qobject_cast<NumberField*>(find_control(settings, 1095));
              ASSERT_NE(field, nullptr);
              field->setFocus();
              QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
              QTest::keyClicks(field, QStringLiteral("123"));
              QTest::keyClick(field, Qt::Key_Tab);
              screenshot(settings, "settings_changed");
              QTest::mouseClick(qobject_cast<QWidget*>(
                                    find_control(settings, SettingsFamilyDialog::kTransferButton)),
                                Qt::LeftButton);
            })
      .step("the question", [] { return top_modal<QMessageBox>() != nullptr; },
            [] { QTest::keyClick(top_modal<QMessageBox>(), Qt::Key_Y); })
      .wait("the transfer done", [this] { return main_on_top(); });
  menu(script, "&Dialogue", "&Settings");
  script
      .step("the second read",
            [] {
              auto* s = top_modal<SettingsDialog>();
              return s != nullptr && s->isVisible() && !s->progress_shown();
            },
            [&] {
              auto* settings = top_modal<SettingsDialog>();
              read_back = settings->fields().field(1094)->value_text().c_str();
              settings->close();
            })
      .wait("closed", [] { return top_modal<SettingsDialog>() == nullptr; });
  ASSERT_TRUE(run(script)) << script.failure();
  EXPECT_EQ(read_back, "123");
  EXPECT_EQ(test::hex(instrument().registers(0x1000 + 7, 1)), "00 7B");
}

// Save all under one name through the file dialog, then Open one of the
// three files: it opens in its own window with the instrument's values.
TEST_F(MainWindowE2eTest, SaveAllThenOpenOneOfTheFiles) {
  const QString base = QString::fromStdString(home_ + "site1");
  auto type_into_file_dialog = [](const QString& path) {
    auto* dialog = top_modal<QFileDialog>();
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    // Qt's completer lists the folder from a thread of its own: on a loaded
    // machine its list pops up late and takes the Return for a neighbour
    // (site1.eta for site1.rsp). The name typed is what counts here.
    name->setCompleter(nullptr);
    name->setFocus();
    QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(name, path);
    QTest::keyClick(name, Qt::Key_Return);
  };
  QString opened;
  WindowScript script;
  menu(script, "&Dialogue", "&Save all");
  script.step("the save dialog", [] { return top_modal<QFileDialog>() != nullptr; },
              [&] { type_into_file_dialog(base); })
      .wait("three files", [&] { return main_on_top() && QFileInfo::exists(base + ".rsp"); });
  menu(script, "&File", "&Open");
  script.step("the open dialog", [] { return top_modal<QFileDialog>() != nullptr; },
              [&] { type_into_file_dialog(base + ".rsp"); })
      .step("the special settings of the file",
            [] { return top_modal<SpecialSettingsDialog>() != nullptr; },
            [&] {
              auto* special = top_modal<SpecialSettingsDialog>();
              opened = QString::fromStdString(special->file_path());
              screenshot(special, "special_settings_from_file");
              special->close();
            })
      .wait("closed", [] { return top_modal<SpecialSettingsDialog>() == nullptr; });
  ASSERT_TRUE(run(script)) << script.failure();
  for (const char* extension : {".eta", ".sa", ".rsp"}) {
    EXPECT_TRUE(QFileInfo::exists(base + extension)) << extension;
  }
  EXPECT_EQ(opened, base + ".rsp");
}

TEST_F(MainWindowE2eTest, MeasurementShowsLiveValuesAndTheLoggerFillsItsTable) {
  QString speed;
  int entries = 0;
  WindowScript script;
  menu(script, "&Dialogue", "&Measurement");
  script
      .step("live values",
            [] {
              auto* view = top_modal<MeasurementView>();
              if (view == nullptr || !view->polling()) return false;
              const ParameterField* field = view->fields().field(1038);
              return field != nullptr && field->number() > 0;
            },
            [&] {
              auto* view = top_modal<MeasurementView>();
              speed = QString::fromStdString(view->fields().field(1038)->value_text());
              screenshot(view, "measurement");
              view->close();
            })
      .wait("closed", [] { return top_modal<MeasurementView>() == nullptr; });
  menu(script, "&Dialogue", "&Logger");
  script
      .step("the download done",
            [] {
              auto* view = top_modal<LoggerView>();
              return view != nullptr && view->started() && !view->downloading();
            },
            [&] {
              auto* view = top_modal<LoggerView>();
              entries = view->table().entry_count();
              screenshot(view, "logger");
              view->close();
            })
      .wait("closed", [] { return top_modal<LoggerView>() == nullptr; });
  ASSERT_TRUE(run(script)) << script.failure();
  EXPECT_GT(speed.toDouble(), 1000.0) << speed.toStdString();
  EXPECT_EQ(entries, 20) << "the instrument holds 25, the view shows 20";
}

// The frame monitor first, then the initialization: its requests go to
// slave 0, and the instrument now holds the factory output points.
TEST_F(MainWindowE2eTest, InitializationSendsTheFactoryValuesToSlaveZero) {
  instrument().set_registers(0x3000, std::vector<std::uint8_t>(14, 0x5A));
  int result = -1;
  QString lines;
  bool following = false;
  // The monitor is a window of its own: neither the main window nor the
  // windows it runs may block its input.
  BlockWatch blocks;
  qApp->installEventFilter(&blocks);
  WindowScript script;
  menu(script, "&Option", "&Frame Monitor");
  script.wait("the monitor", [this] {
    return window().frame_monitor() != nullptr && window().frame_monitor()->isVisible();
  });
  menu(script, "&Dialogue", "&Initalization");
  script
      .step("the initialization window", [] { return top_modal<InitializationDialog>() != nullptr; },
            [&] {
              auto* init = top_modal<InitializationDialog>();
              QObject::connect(init, &QDialog::finished, [&](int r) { result = r; });
              screenshot(init, "initialization");
              QTest::mouseClick(
                  qobject_cast<QWidget*>(find_control(init, InitializationDialog::kTransferButton)),
                  Qt::LeftButton);
            })
      .wait("the transfers done", [&] { return result != -1 && main_on_top(); },
            std::chrono::seconds(30))
      .step("the monitor's lines",
            [this] {
              FrameMonitor* monitor = window().frame_monitor();
              return monitor->list()->toPlainText().contains(QStringLiteral("> 00 10 30 00"));
            },
            [&, this] {
              FrameMonitor* monitor = window().frame_monitor();
              lines = monitor->list()->toPlainText();
              const QScrollBar* bar = monitor->list()->verticalScrollBar();
              following = bar->value() == bar->maximum();
              screenshot(monitor, "frame_monitor");
            });
  ASSERT_TRUE(run(script)) << script.failure();
  qApp->removeEventFilter(&blocks);
  EXPECT_EQ(blocks.monitor_blocked, 0) << "the monitor's input was blocked by a modal window";
  EXPECT_TRUE(following) << "the list shows its latest lines";
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_TRUE(lines.contains(QStringLiteral("> 00 10 10 00"))) << "the settings to slave 0";
  EXPECT_FALSE(lines.contains(QStringLiteral("> 01 10"))) << "nothing written to the configured slave";
  EXPECT_EQ(test::hex(instrument().registers(0x3000, 7)), "00 00 00 00 00 00 04 88 EC 54 04 88 EC 54");
  EXPECT_EQ(IniFile(home_ + "default.OrvadW10").read("Com", "JBus").value_or("<none>"), "<none>")
      << "the configuration was not touched";
}

TEST_F(MainWindowE2eTest, TheMenuSpeaksGermanOnceTheOptionsChangeTheLanguage) {
  QString yes_text;
  QStringList german_titles;
  QStringList file_items;
  WindowScript script;
  menu(script, "&Option", "&Option");
  script
      .step("the options window", [] { return top_modal<OptionsDialog>() != nullptr; },
            [] {
              auto* options = top_modal<OptionsDialog>();
              ChoiceList* language = options->language_list();
              language->setFocus();
              // Deutsch is the fourth language of the list.
              while (language->currentIndex() < 3) QTest::keyClick(language, Qt::Key_Down);
              screenshot(options, "options");
              QTest::mouseClick(options->ok_button(), Qt::LeftButton);
            })
      .step("the question about the file", [] { return top_modal<QMessageBox>() != nullptr; },
            [&yes_text] {
              // Yes keeps the change; the box already speaks German.
              QAbstractButton* yes = top_modal<QMessageBox>()->button(QMessageBox::Yes);
              yes_text = yes->text();
              yes->setFocus();
              QTest::keyClick(yes, Qt::Key_Space);
            })
      .wait("the options closed", [] { return top_modal<OptionsDialog>() == nullptr; });
  menu(script, "&Datei", "&Öffnen");
  // The open dialog of the German menu: cancelled.
  script
      .step("the open dialog", [] { return top_modal<QFileDialog>() != nullptr; },
            [&, this] {
              for (QAction* popup : window().menu_bar()->actions()) german_titles << popup->text();
              for (QAction* item : window().menu_bar()->actions()[0]->menu()->actions()) {
                if (!item->isSeparator()) file_items << item->text();
              }
              top_modal<QFileDialog>()->reject();
            })
      .step("the German main window", [] { return top_modal<QFileDialog>() == nullptr; },
            [this] { screenshot(&window(), "main_window_german"); });
  ASSERT_TRUE(run(script)) << script.failure();
  EXPECT_EQ(yes_text.remove(QLatin1Char('&')), "Ja") << "the question's buttons speak German too";
  EXPECT_EQ(german_titles, (QStringList{"&Datei", "D&ialog", "&Konfiguration", "&Über..."}));
  EXPECT_EQ(file_items, (QStringList{"&Öffnen", "&Neu", "&Beenden"}));
}

}  // namespace
}  // namespace orvadw
