// Save Option File As and Load Option File below their dialogs, on real
// files: the copy and the switch, the file itself under another spelling,
// a place where nothing can be made, a copy that fails; and the logo check
// and the options' values on hand-made files.
#include "files/option_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "base/ini_file.h"
#include "files/logo_bitmap.h"
#include "files/option_values.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

class OptionFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.valid());
    configuration_.set_program_folder(home_);
    ASSERT_EQ(configuration_.load_configuration(home_ + "/site.OrvadW10"), 0);
    SettingsStore(configuration_.configuration_path()).write_text("Modem", "Telefon number", "77");
  }
  std::string last_config() {
    return IniFile(home_ + "/last.cfg").read("LastConfig", "LastConfig").value_or("<missing>");
  }
  test::TempDir temp_{"orvadw_optfile"};
  std::string home_ = temp_.path();
  Configuration configuration_{home_};
};

TEST_F(OptionFileTest, SaveAsCopiesTheFileAndMakesTheCopyCurrent) {
  const std::string original = configuration_.configuration_path();
  const std::string copy = home_ + "/copy.OrvadW10";
  EXPECT_EQ(save_configuration_as(configuration_, copy), 0);
  EXPECT_EQ(configuration_.configuration_path(), copy);
  EXPECT_EQ(last_config(), copy);
  EXPECT_EQ(test::read_file(copy), test::read_file(original));
  EXPECT_EQ(IniFile(copy).read("Modem", "Telefon number").value_or(""), "77");
  EXPECT_FALSE(std::filesystem::exists(copy + ".partial"));
}

TEST_F(OptionFileTest, TheCurrentFileUnderAnotherSpellingIsRefusedUntouched) {
  const std::string original = configuration_.configuration_path();
  const std::string before = test::read_file(original);
  std::filesystem::create_symlink(original, home_ + "/alias.OrvadW10");
  for (const std::string& same : {original, home_ + "/./site.OrvadW10",
                                  home_ + "/alias.OrvadW10"}) {
    EXPECT_EQ(save_configuration_as(configuration_, same), kSameFileTextId) << same;
  }
  EXPECT_EQ(configuration_.configuration_path(), original);
  EXPECT_EQ(last_config(), original);
  EXPECT_EQ(test::read_file(original), before);
}

TEST_F(OptionFileTest, ATargetThatCannotBeMadeChangesNothing) {
  const std::string original = configuration_.configuration_path();
  EXPECT_EQ(save_configuration_as(configuration_, home_ + "/no/such/folder/x.OrvadW10"),
            kCannotOpenDestinationTextId);
  EXPECT_EQ(configuration_.configuration_path(), original);
  EXPECT_EQ(last_config(), original);
}

TEST_F(OptionFileTest, AFailedCopyFallsBackToTheDefaultFileAndLeavesNoHalfCopy) {
  // The current file has gone (another program removed it): nothing to copy.
  const std::string original = configuration_.configuration_path();
  ASSERT_EQ(::unlink(original.c_str()), 0);
  const std::string target = home_ + "/copy.OrvadW10";
  EXPECT_EQ(save_configuration_as(configuration_, target), kSaveAsFailedTextId);
  EXPECT_EQ(configuration_.configuration_path(), configuration_.default_configuration_path());
  EXPECT_EQ(last_config(), configuration_.default_configuration_path());
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_FALSE(std::filesystem::exists(target + ".partial"));
}

TEST_F(OptionFileTest, LoadingAnotherFileSavesTheLastFolderIntoTheOldOne) {
  const std::string original = configuration_.configuration_path();
  const std::string other = home_ + "/other.OrvadW10";
  SettingsStore(other).write_number("Modem", "Use modem", 0);
  configuration_.set_last_folder(home_ + "/where/");
  EXPECT_EQ(load_configuration_file(configuration_, other), 0);
  EXPECT_EQ(configuration_.configuration_path(), other);
  EXPECT_EQ(last_config(), other);
  EXPECT_TRUE(configuration_.use_modem());
  EXPECT_EQ(IniFile(original).read("File Save", "Path File Save").value_or(""), home_ + "/where/");
  EXPECT_EQ(IniFile(other).read("Test", "Test").value_or(""), "Ok");
}

TEST(OptionValuesTest, StoredValuesOutsideTheirListsOrLimitsAreRepairedAndSaidSo) {
  test::TempDir dir("orvadw_optvalues");
  SettingsStore store(dir.file("v.cfg"));
  bool repaired = true;
  OptionValues v = read_option_values(store, &repaired);
  EXPECT_FALSE(repaired);  // an empty file: every default
  EXPECT_EQ(v.bauds, 5);
  EXPECT_EQ(v.use_modem, OptionValues::kNo);
  EXPECT_EQ(v.answer_timeout, 500);
  EXPECT_EQ(v.disconnect_string, "H0");
  store.write_number("Com", "Bauds", 9);
  store.write_number("Com", "JBus", 400);
  store.write_text("Language", "Language", "2.5");
  v = read_option_values(store, &repaired);
  EXPECT_TRUE(repaired);
  EXPECT_EQ(v.bauds, 5);
  EXPECT_EQ(v.jbus, 255);
  EXPECT_EQ(v.language, 0);
  ASSERT_EQ(write_option_values(store, v), 0);
  v = read_option_values(store, &repaired);
  EXPECT_FALSE(repaired);
}

std::vector<std::uint8_t> bitmap_header(std::int32_t width, std::int32_t height, int bits) {
  std::vector<std::uint8_t> b(54, 0);
  const auto put = [&b](std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put(10, 54 + 1024, 4);
  put(14, 40, 4);
  put(18, static_cast<std::uint32_t>(width), 4);
  put(22, static_cast<std::uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, static_cast<std::uint32_t>(bits), 2);
  return b;
}

TEST(LogoBitmapTest, OnlyTheSizeAndDepthTheWindowIsMadeForAreUsed) {
  test::TempDir dir("orvadw_logo");
  const auto check = [&](std::vector<std::uint8_t> bytes) {
    const std::string path = dir.file("logo.bmp");
    EXPECT_TRUE(test::write_file_bytes(path, bytes));
    return is_usable_logo(path);
  };
  EXPECT_TRUE(check(bitmap_header(563, 446, 8)));
  EXPECT_TRUE(check(bitmap_header(563, -446, 4)));  // stored top-down
  EXPECT_FALSE(check(bitmap_header(564, 446, 8)));
  EXPECT_FALSE(check(bitmap_header(563, 447, 8)));
  EXPECT_FALSE(check(bitmap_header(563, 446, 24)));
  auto not_bmp = bitmap_header(563, 446, 8);
  not_bmp[0] = 'P';
  EXPECT_FALSE(check(not_bmp));
  EXPECT_FALSE(check({'B', 'M', 1, 2}));  // cut short
  EXPECT_FALSE(is_usable_logo(dir.file("missing.bmp")));
}

}  // namespace
}  // namespace orvadw
