// The texts this program added beyond the product's table: found by the same
// lookup in every language, one string each, in the instrument's code page,
// and without disturbing the product's ids.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/cp1252.h"
#include "base/text_table.h"

namespace orvadw {
namespace {

TEST(OwnTexts, EveryOwnTextExistsOnceInEachLanguageAndFitsTheCodePage) {
  const std::vector<int> ids = own_text_ids();
  ASSERT_FALSE(ids.empty());
  for (int id : ids) {
    EXPECT_GE(id, kFirstOwnTextId);
    for (int language = 1; language <= 4; ++language) {
      const std::vector<std::string> list = text_list(id, language);
      ASSERT_EQ(list.size(), 1u) << id << "/" << language;
      EXPECT_FALSE(list[0].empty()) << id << "/" << language;
      EXPECT_EQ(utf8_from_cp1252(cp1252_from_utf8(list[0])), list[0]) << id << "/" << language;
    }
  }
  // The product's table is unchanged: its ids, and nothing between the two.
  EXPECT_EQ(text_table_ids().size(), 240u);
  EXPECT_TRUE(text_list(kFirstOwnTextId - 1, kEnglish).empty());
  EXPECT_TRUE(text_list(ids.back() + 1, kEnglish).empty());
  EXPECT_EQ(text_list(own_text::kPause, 5), std::vector<std::string>{""});
}

TEST(OwnTexts, TheMonitorsMenuTextHasOneAcceleratorAndTheTextFileKindItsExtension) {
  for (int language = 1; language <= 4; ++language) {
    const std::string menu = text_of(own_text::kFrameMonitorMenu, language);
    EXPECT_EQ(std::count(menu.begin(), menu.end(), '&'), 1) << menu;
    std::string plain = menu;
    plain.erase(plain.find('&'), 1);
    EXPECT_EQ(plain, text_of(own_text::kFrameMonitorTitle, language));
    const std::string kind = text_of(own_text::kTextFileKind, language);
    EXPECT_EQ(kind.substr(kind.find('|')), "|txt") << kind;
  }
  EXPECT_EQ(text_of(own_text::kFrameMonitorMenu, kGerman), "&Telegrammmonitor");
}

}  // namespace
}  // namespace orvadw
