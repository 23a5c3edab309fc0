// Save Option File As below its dialog, on real files, where it must refuse
// or fall back: the current file under another spelling, a place where
// nothing can be made, a copy that fails; and the logo check on hand-made
// and damaged files.
#include "files/option_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "base/ini_file.h"
#include "files/logo_bitmap.h"
#include "files/settings_store.h"
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
