// Open's and Save all's file choices: the filters as the dialogs get them,
// which window a chosen file opens, and the three names of Save all with the
// question before one of them is replaced.
#include "files/main_window_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include "base/text_table.h"
#include "files/file_kind.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

const std::vector<int> kAllKinds = {kEscFileKind,          kSettingsFileKind,
                                    kLoggerFileKind,       kMeasurementFileKind,
                                    kAnalogOutputFileKind, kSpecialSettingsFileKind};

TEST(MainWindowFiles, OpenFilterListsEveryKindInItsOrder) {
  EXPECT_EQ(open_filter(kEnglish, kAllKinds),
            "File (*.eta, *.mes, *.log, *.sa, *.esc, *.rsp)|*.eta;*.mes;*.log; *.sa; *.esc; *.rsp|"
            "Setting File (*.eta)|*.eta|Measurement File (*.mes)|*.mes|Logger File (*.log)|*.log|"
            "Analog Output Settings File (*.sa)|*.sa|ESC File (*.esc)|*.esc|"
            "Special Settings File (*.rsp)|*.rsp||");
  // A kind without its window is not offered.
  std::vector<int> without_esc = kAllKinds;
  without_esc.erase(without_esc.begin());
  const std::string filter = open_filter(kGerman, without_esc);
  EXPECT_EQ(filter.find("esc"), std::string::npos) << filter;
  EXPECT_EQ(filter.rfind("Datei (*.eta, *.mes, *.log, *.sa, *.rsp)|*.eta;*.mes;*.log; *.sa; *.rsp|", 0),
            0u)
      << filter;
}

TEST(MainWindowFiles, AChosenFileOpensTheFirstKindOfTheMatchOrder) {
  EXPECT_EQ(open_kind_for("/data/site.rsp", kAllKinds, kEnglish), kSpecialSettingsFileKind);
  EXPECT_EQ(open_kind_for("/data/site.eta", kAllKinds, kFrench), kSettingsFileKind);
  EXPECT_EQ(open_kind_for("/data/run.MES", kAllKinds, kEnglish), kMeasurementFileKind)
      << "a file named on another system";
  EXPECT_EQ(open_kind_for("/data/a.b/events.log", kAllKinds, kEnglish), kLoggerFileKind);
  EXPECT_EQ(open_kind_for("/data/notes.txt", kAllKinds, kEnglish), -1);
  EXPECT_EQ(open_kind_for("/data.eta/noextension", kAllKinds, kEnglish), -1)
      << "a dot in a folder name is no extension";
  EXPECT_EQ(open_kind_for("/data/x.esc", {kSettingsFileKind}, kEnglish), -1)
      << "a kind without its window opens nothing";
  // The order decides when two kinds share an extension; only order matters
  // here, so the match order must put settings first and logger last.
  EXPECT_EQ(open_match_order().front(), kSettingsFileKind);
  EXPECT_EQ(open_match_order().back(), kLoggerFileKind);
}

TEST(MainWindowFiles, SaveAllWritesThreeFilesUnderTheChosenName) {
  const std::vector<std::string> extensions = {"eta", "sa", "rsp"};
  EXPECT_EQ(save_all_filter(kEnglish, extensions), "File (*.eta;*.sa;*.rsp)|*.eta;*.sa;*.rsp;|");
  EXPECT_EQ(save_all_paths("/d/site1", extensions),
            (std::vector<std::string>{"/d/site1.eta", "/d/site1.sa", "/d/site1.rsp"}));
  EXPECT_EQ(save_all_paths("/d/site1.SA", extensions),
            (std::vector<std::string>{"/d/site1.eta", "/d/site1.sa", "/d/site1.rsp"}))
      << "a file picked in the dialog names the set";
  EXPECT_EQ(save_all_paths("/d/site1.txt", extensions),
            (std::vector<std::string>{"/d/site1.txt.eta", "/d/site1.txt.sa", "/d/site1.txt.rsp"}));
  EXPECT_EQ(save_all_paths("/d/.eta", extensions)[0], "/d/.eta.eta") << "nothing left to name";
}

TEST(MainWindowFiles, SaveAllAsksBeforeReplacingAnyOfItsFiles) {
  test::TempDir dir;
  const std::vector<std::string> extensions = {"eta", "sa", "rsp"};
  const std::string base = dir.file("site1");
  std::ofstream(base + ".sa") << "old";
  std::vector<std::string> answers = {base, dir.file("site2")};
  std::vector<std::string> questions;
  std::size_t asked = 0;
  auto ask = [&]() -> std::optional<std::string> {
    if (asked >= answers.size()) return std::nullopt;
    return answers[asked++];
  };
  auto refuse = [&](const std::string& q) {
    questions.push_back(q);
    return false;
  };
  const auto chosen = choose_save_all_paths(extensions, kEnglish, ask, refuse);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ((*chosen)[0], dir.file("site2.eta")) << "No shows the dialog again";
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].rfind(base + ".sa \n\n", 0), 0u) << questions[0];

  asked = 0;
  const auto accepted = choose_save_all_paths(extensions, kEnglish, ask, [](const std::string&) { return true; });
  ASSERT_TRUE(accepted.has_value());
  EXPECT_EQ((*accepted)[1], base + ".sa");
  EXPECT_FALSE(choose_save_all_paths(extensions, kEnglish, [] { return std::optional<std::string>(); },
                                     refuse)
                   .has_value());
}

}  // namespace
}  // namespace orvadw
