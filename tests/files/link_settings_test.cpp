// The link settings of a window: section Com, Port 0-based, defaults COM1,
// 9600 baud (index 5), JBus number 1, values truncated toward zero.
#include "files/link_settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "files/settings_store.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

class LinkSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.valid()); }
  void write_raw(const std::string& text) { test::write_file(path_, text); }

  test::TempDir folder_{"orvadw_link_settings"};
  std::string path_ = folder_.file("test.OrvadW10");
};

TEST_F(LinkSettingsTest, NothingStoredMeansCom1At9600ToJBusNumber1) {
  const LinkSettings missing_file = read_link_settings(SettingsStore(path_));
  EXPECT_EQ(missing_file.port_number, 1);
  EXPECT_EQ(missing_file.baud_index, 5);
  EXPECT_EQ(missing_file.jbus_number, 1);

  const LinkSettings no_path = read_link_settings(SettingsStore());
  EXPECT_EQ(no_path.port_number, 1);
  EXPECT_EQ(no_path.baud_index, 5);
  EXPECT_EQ(no_path.jbus_number, 1);

  // Another section's keys of the same names are not the link's.
  write_raw("[Modem]\nPort=7\nBauds=2\nJBus=9\n");
  const LinkSettings other_section = read_link_settings(SettingsStore(path_));
  EXPECT_EQ(other_section.port_number, 1);
  EXPECT_EQ(other_section.jbus_number, 1);
}

TEST_F(LinkSettingsTest, StoredNumbersAreTruncatedAndThePortIsOneBased) {
  SettingsStore store(path_);
  ASSERT_EQ(store.write_number("Com", "Port", 2), 0);
  ASSERT_EQ(store.write_number("Com", "Bauds", 6), 0);
  ASSERT_EQ(store.write_number("Com", "JBus", 17), 0);
  LinkSettings s = read_link_settings(store);
  EXPECT_EQ(s.port_number, 3);
  EXPECT_EQ(s.baud_index, 6);
  EXPECT_EQ(s.jbus_number, 17);

  write_raw("[Com]\nPort=4.9\nBauds=3.99\nJBus=0.5\n");
  s = read_link_settings(SettingsStore(path_));
  EXPECT_EQ(s.port_number, 5);
  EXPECT_EQ(s.baud_index, 3);
  EXPECT_EQ(s.jbus_number, 0);

  // Negative values truncate toward zero too.
  write_raw("[Com]\nPort=-1.5\nBauds=-0.5\nJBus=-3\n");
  s = read_link_settings(SettingsStore(path_));
  EXPECT_EQ(s.port_number, 0);
  EXPECT_EQ(s.baud_index, 0);
  EXPECT_EQ(s.jbus_number, -3);
}

TEST_F(LinkSettingsTest, DamagedValuesNeverOverflow) {
  // Unparsable text reads as 0, as atof does.
  write_raw("[Com]\nPort=abc\nBauds=zz\nJBus=x1\n");
  LinkSettings s = read_link_settings(SettingsStore(path_));
  EXPECT_EQ(s.port_number, 1);
  EXPECT_EQ(s.baud_index, 0);
  EXPECT_EQ(s.jbus_number, 0);

  // Values no int can hold fall back to the defaults.
  write_raw("[Com]\nPort=1e300\nBauds=nan\nJBus=-1e20\n");
  s = read_link_settings(SettingsStore(path_));
  EXPECT_EQ(s.port_number, 1);
  EXPECT_EQ(s.baud_index, 5);
  EXPECT_EQ(s.jbus_number, 1);

  // The largest int would overflow when made 1-based.
  write_raw("[Com]\nPort=2147483647\n");
  EXPECT_EQ(read_link_settings(SettingsStore(path_)).port_number, 1);
  write_raw("[Com]\nPort=2147483646\n");
  EXPECT_EQ(read_link_settings(SettingsStore(path_)).port_number, 2147483647);
}

}  // namespace
}  // namespace orvadw
