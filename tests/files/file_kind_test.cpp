#include "files/file_kind.h"

#include <gtest/gtest.h>

#include <set>

#include "base/text_table.h"

namespace orvadw {
namespace {

TEST(FileKind, ExtensionAndFilterFromTheKindText) {
  FileKind kind;
  ASSERT_EQ(file_kind_from_text_id(kSettingsFileKind, kEnglish, kind), 0);
  EXPECT_EQ(kind.extension, "eta");
  EXPECT_EQ(kind.filter, "Setting File (*.eta)|*.eta|");
  ASSERT_EQ(file_kind_from_text_id(kAnalogOutputFileKind, kFrench, kind), 0);
  EXPECT_EQ(kind.extension, "sa");
  EXPECT_EQ(kind.filter, "Fichier Réglage Sorties courant (*.sa)|*.sa|");
  ASSERT_EQ(file_kind_from_text_id(kMeasurementFileKind, kGerman, kind), 0);
  EXPECT_EQ(kind.filter, "Messung File (*.mes)|*.mes|");
  // Text 86 is a kind no window uses, but it reads the same way.
  ASSERT_EQ(file_kind_from_text_id(86, kEnglish, kind), 0);
  EXPECT_EQ(kind.extension, "dev");
}

TEST(FileKind, NoKindLeavesBothEmpty) {
  FileKind kind{"old", "old filter"};
  EXPECT_EQ(file_kind_from_text_id(kNoFileKind, kEnglish, kind), -1);
  EXPECT_EQ(kind.extension, "");
  EXPECT_EQ(kind.filter, "");
  kind = {"old", "old filter"};
  // "PRN File" has no extension part.
  EXPECT_EQ(file_kind_from_text_id(87, kEnglish, kind), -1);
  EXPECT_EQ(kind.extension, "");
  EXPECT_EQ(kind.filter, "");
  EXPECT_EQ(file_kind_from_text_id(9999, kEnglish, kind), -1);
}

TEST(FileKind, TableAgreesWithTheTextsInEveryLanguage) {
  std::set<std::string> extensions;
  for (const auto& info : file_kinds()) {
    SCOPED_TRACE(info.text_id);
    extensions.insert(info.extension);
    for (int language = kFrench; language <= kGerman; ++language) {
      FileKind kind;
      ASSERT_EQ(file_kind_from_text_id(info.text_id, language, kind), 0);
      EXPECT_EQ(kind.extension, info.extension);
      const std::string tail = " (*." + kind.extension + ")|*." + kind.extension + "|";
      ASSERT_GT(kind.filter.size(), tail.size());
      EXPECT_EQ(kind.filter.substr(kind.filter.size() - tail.size()), tail);
    }
    EXPECT_EQ(file_kind_for_extension(info.extension), &info);
  }
  EXPECT_EQ(extensions, (std::set<std::string>{"esc", "eta", "log", "mes", "sa", "rsp"}));
  EXPECT_EQ(file_kind_for_extension("ETA"), nullptr);
  EXPECT_EQ(file_kind_for_extension("prn"), nullptr);
}

}  // namespace
}  // namespace orvadw
