// The window entry of the command line: which words open which window in
// which mode, and that every window of its table opens complete.
#include "app/window_entry.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <map>

#include "dialogs/communicating_dialog.h"
#include "files/configuration.h"
#include "files/settings_store.h"
#include "link/jbus_master.h"
#include "ui/scripted_message_service.h"

namespace orvadw {
namespace {

TEST(WindowEntry, TheCommandLineNamesTheWindowItsModeAndItsFile) {
  QString error;
  EXPECT_FALSE(parse_window_request({}, error).has_value());
  EXPECT_FALSE(parse_window_request({"site.cfg"}, error).has_value())
      << "the program's usual start";

  auto plain = parse_window_request({"--window", "settings"}, error);
  ASSERT_TRUE(plain.has_value());
  EXPECT_TRUE(error.isEmpty());
  EXPECT_EQ(plain->name, "settings");
  EXPECT_EQ(plain->start_mode, 1);
  auto file = parse_window_request({"--window", "special", "/tmp/a.rsp"}, error);
  EXPECT_EQ(file->start_mode, 4) << "a file alone is loaded";
  EXPECT_EQ(file->file, "/tmp/a.rsp");
  auto moded = parse_window_request({"/tmp/x.sa", "--mode", "65", "--window", "analog"}, error);
  EXPECT_EQ(moded->start_mode, 65);
  EXPECT_EQ(moded->file, "/tmp/x.sa");

  for (const QStringList& bad : {QStringList{"--window"}, QStringList{"--window", "logbook"},
                                 QStringList{"--window", "settings", "--mode", "x"},
                                 QStringList{"--window", "settings", "--mode", "-1"},
                                 QStringList{"--window", "settings", "a", "b"},
                                 QStringList{"--window", "settings", "--fast"}}) {
    parse_window_request(bad, error);
    EXPECT_FALSE(error.isEmpty()) << bad.join(' ').toStdString();
  }
  EXPECT_TRUE(window_entry_usage().contains("settings|special|analog|measurement|logger|esc"));
}

TEST(WindowEntry, EveryWindowOfTheTableOpensWithAllItsControls) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string configuration = (dir.path() + "/entry.OrvadW10").toStdString();
  SettingsStore(configuration).write_number("Language", "Language", 1);
  Configuration::instance().set_program_folder(dir.path().toStdString() + "/");
  ASSERT_EQ(Configuration::instance().load_configuration(configuration), 0);
  ScriptedMessageService messages;
  ScopedMessageService scope(&messages);
  JBusMaster master;
  const std::map<std::string, QString> titles = {{"settings", "Settings"},
                                                 {"special", "Special Settings"},
                                                 {"analog", "Analog Output Settings"},
                                                 {"esc", "ESC info"}};
  // The settings-family windows open new (mode 2); the views have no such mode and
  // are opened on their files by the program's end-to-end test.
  for (const auto& [name, title] : titles) {
    SCOPED_TRACE(name);
    const WindowFactory* found = find_window_factory(QString::fromStdString(name));
    ASSERT_NE(found, nullptr);
    const WindowFactory& factory = *found;
    std::unique_ptr<QDialog> window = factory.make(&master, 2, nullptr, {});
    auto* instrument_window = qobject_cast<CommunicatingDialog*>(window.get());
    ASSERT_NE(instrument_window, nullptr);
    instrument_window->initialise();
    EXPECT_TRUE(instrument_window->unbound_controls().empty());
    EXPECT_EQ(window->windowTitle(), title);
  }
  EXPECT_TRUE(messages.shown().empty());
}

}  // namespace
}  // namespace orvadw
