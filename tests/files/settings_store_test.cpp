#include "tests/support/process_locale.h"
#include "files/settings_store.h"

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "files/config_keys.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(temp_.valid()); }
  void put(const std::string& content) { test::write_file(path_, content); }
  std::string get() { return test::read_file(path_); }
  test::TempDir temp_{"orvadw_store"};
  std::string dir_ = temp_.path();
  std::string path_ = temp_.file("default.OrvadW10");
};

TEST_F(SettingsStoreTest, NumbersAreWrittenWithSixDecimalsAndReadWithAtofRules) {
  SettingsStore store(path_);
  ASSERT_EQ(store.write_number("Com", "Bauds", 5), 0);
  ASSERT_EQ(store.write_number("Com", "Port", -2.5), 0);
  ASSERT_EQ(store.write_text("Com", "JBus", "abc"), 0);
  ASSERT_EQ(store.write_text("Com", "Trailing", "12abc"), 0);
  EXPECT_EQ(get(), "[Com]\nBauds=5.000000\nPort=-2.500000\nJBus=abc\nTrailing=12abc\n");
  EXPECT_EQ(store.read_number("Com", "Bauds", 0), 5.0);
  EXPECT_EQ(store.read_number("Com", "Port", 0), -2.5);
  EXPECT_EQ(store.read_number("Com", "JBus", 1), 0.0);        // unparsable
  EXPECT_EQ(store.read_number("Com", "Trailing", 1), 12.0);   // leading number
  EXPECT_EQ(store.read_number("Com", "Missing", 500), 500.0);
  // The default passes through its "%f" text like a stored value would.
  EXPECT_DOUBLE_EQ(store.read_number("Com", "Missing", 0.1234567), 0.123457);
  EXPECT_EQ(store.read_text("Com", "Bauds", "x"), "5.000000");
  EXPECT_EQ(store.read_text("Com", "Missing", "x"), "x");
}

TEST_F(SettingsStoreTest, WithoutPathReadsGiveDefaultsAndWritesFail) {
  SettingsStore store;
  EXPECT_EQ(store.read_text("Com", "Port", "dflt"), "");
  EXPECT_EQ(store.read_number("Com", "Port", 0.1234567), 0.1234567);  // unchanged
  EXPECT_EQ(store.write_text("Com", "Port", "1"), -1);
  EXPECT_EQ(store.write_number("Com", "Port", 1), -1);
  store.set_path(path_);
  EXPECT_EQ(store.path(), path_);
  EXPECT_EQ(store.write_number("Com", "Port", 1), 0);
  EXPECT_EQ(store.read_number("Com", "Port", 0), 1.0);
}

TEST_F(SettingsStoreTest, WriteToUnwritablePlaceFails) {
  SettingsStore in_missing_dir(dir_ + "/missing/x.cfg");
  EXPECT_EQ(in_missing_dir.write_number("Com", "Port", 1), -1);
  SettingsStore onto_directory(dir_);
  EXPECT_EQ(onto_directory.write_text("Com", "Port", "1"), -1);
  EXPECT_EQ(onto_directory.read_number("Com", "Port", 3), 3.0);
}

TEST_F(SettingsStoreTest, NumbersUseDotsUnderFrenchLocale) {
  int written = 0;
  double from_file = 0;
  double from_default = 0;
  {
    test::ProcessLocale french("fr_FR.UTF-8");
    if (!french.ok()) {
      GTEST_SKIP() << "locale fr_FR.UTF-8 is not generated (scripts/setup.sh generates it)";
    }
    SettingsStore store(path_);
    written = store.write_number("File Save", "Sample Record Time", 2.5);
    put(get() + "[Hand]\nvalue=3.75\n");
    from_file = store.read_number("Hand", "value", 0);
    from_default = store.read_number("Hand", "missing", 1.5);
  }
  EXPECT_EQ(written, 0);
  EXPECT_EQ(get(), "[File Save]\nSample Record Time=2.500000\n[Hand]\nvalue=3.75\n");
  EXPECT_EQ(from_file, 3.75);
  EXPECT_EQ(from_default, 1.5);
}

TEST_F(SettingsStoreTest, HandEditedConfigurationReadsBackAndKeepsEditsAfterWrites) {
  SettingsStore store(path_);
  ASSERT_EQ(store.write_number("Com", "Port", 2), 0);
  ASSERT_EQ(store.write_number("Com", "Bauds", 5), 0);
  ASSERT_EQ(store.write_text("Modem", "Initalisation string", "&F S95=0 E0"), 0);
  // Someone edits the file in a Windows editor.
  put("; site 12, pump room\r\n"
      "[COM]\r\n"
      "PORT   =   3.000000\r\n"
      "bauds=6.000000\r\n"
      "\r\n"
      "[modem]\r\n"
      "; keep the speaker off\r\n"
      "INITALISATION STRING = &F S95=0 E0 M0\r\n");
  EXPECT_EQ(store.read_number("Com", "Port", 0), 3.0);
  EXPECT_EQ(store.read_number("Com", "Bauds", 5), 6.0);
  EXPECT_EQ(store.read_text("Modem", "Initalisation string", ""), "&F S95=0 E0 M0");
  ASSERT_EQ(store.write_number("Com", "Port", 4), 0);
  ASSERT_EQ(store.write_number("Com", "JBus", 9), 0);
  ASSERT_EQ(store.write_text("Modem", "Telefon number", "0102"), 0);
  ASSERT_EQ(store.write_number("Test", "Rect Wnd Top = ", -50), 0);
  EXPECT_EQ(get(),
            "; site 12, pump room\r\n"
            "[COM]\r\n"
            "PORT   =   4.000000\r\n"
            "bauds=6.000000\r\n"
            "JBus=9.000000\r\n"
            "\r\n"
            "[modem]\r\n"
            "; keep the speaker off\r\n"
            "INITALISATION STRING = &F S95=0 E0 M0\r\n"
            "Telefon number=0102\r\n"
            "[Test]\r\n"
            "Rect Wnd Top = =-50.000000\r\n");
  EXPECT_EQ(store.read_number("Test", "Rect Wnd Top = ", 0), -50.0);
}

TEST_F(SettingsStoreTest, TwoStoresOnOneFileKeepBothWrites) {
  SettingsStore dialog(path_);
  SettingsStore other(path_);
  ASSERT_EQ(dialog.write_number("Language", "Language", 1), 0);
  ASSERT_EQ(other.write_number("Com", "Port", 3), 0);
  ASSERT_EQ(dialog.write_number("Com", "Bauds", 4), 0);
  EXPECT_EQ(other.read_number("Language", "Language", 0), 1.0);
  EXPECT_EQ(dialog.read_number("Com", "Port", 0), 3.0);
  EXPECT_EQ(other.read_number("Com", "Bauds", 0), 4.0);
}

TEST(ConfigKeys, TableSpellingDefaultsAndLimits) {
  using namespace config;
  std::set<std::string> seen;
  for (const KeyInfo& k : key_table()) {
    EXPECT_TRUE(seen.insert(std::string(k.section) + "/" + std::string(k.key)).second) << k.key;
  }
  const KeyInfo* init = find_key("modem", "INITALISATION STRING");
  ASSERT_NE(init, nullptr);
  EXPECT_EQ(init->key, "Initalisation string");
  EXPECT_EQ(default_text(*init, "/p/"), "&F S95=0 E0 Q0 V1 W2 &K0 M0");
  ASSERT_NE(find_key("Modem", "Telefon number"), nullptr);
  ASSERT_NE(find_key("Modem", "Desconnect string"), nullptr);
  EXPECT_EQ(default_text(*find_key("Modem", "Desconnect string"), "/p/"), "H0");
  ASSERT_NE(find_key("Modem", "Time out bevor answer"), nullptr);
  EXPECT_EQ(find_key("Modem", "Time out bevor answer")->number_default, 500);
  EXPECT_EQ(find_key("Modem", "Initialisation string"), nullptr);  // not the usual spelling

  const KeyInfo* bauds = find_key("Com", "Bauds");
  ASSERT_NE(bauds, nullptr);
  EXPECT_EQ(default_text(*bauds, "/p/"), "5.000000");
  EXPECT_EQ(within_limits(*bauds, 9), 6);
  EXPECT_EQ(within_limits(*bauds, -1), 0);
  EXPECT_EQ(within_limits(*find_key("Com", "JBus"), 300), 255);
  EXPECT_EQ(within_limits(*find_key("Com", "Port"), 254), 254);
  EXPECT_EQ(within_limits(*find_key("File Save", "Sample Record Time"), 0), 1);
  EXPECT_EQ(within_limits(*find_key("File Save", "Record Lap Time"), 100000), 99999);
  EXPECT_EQ(find_key("Language", "Language")->max, 3);
  EXPECT_EQ(find_key("Modem", "Use modem")->number_default, 1);
  EXPECT_EQ(within_limits(*find_key("Modem", "Time out bevor answer"), 1e6), 1e6);

  EXPECT_EQ(default_text(*find_key("File Save", "Path File Save"), "/opt/orvadw/"), "/opt/orvadw/Data/");
  EXPECT_EQ(default_text(*find_key("Spreadsheet", "Path Spreadsheet"), "/p/"), "tartempionexcel.exe");
  EXPECT_EQ(default_text(*find_key("Spreadsheet", "Spreadsheet Name"), "/p/"), "excel.exe");
  const KeyInfo* macro = find_key("Spreadsheet", macro_key("mes"));
  ASSERT_NE(macro, nullptr);
  EXPECT_EQ(macro_key("mes"), "Path Macro mes");
  EXPECT_EQ(default_text(*macro, "/p/").back(), '/');

  EXPECT_EQ(port_key(3), "COM3");
  ASSERT_NE(find_key("Ports", "COM12"), nullptr);
  EXPECT_EQ(find_key("Ports", "COMx"), nullptr);
  EXPECT_EQ(find_key("Com", "Nope"), nullptr);
}

}  // namespace
}  // namespace orvadw
