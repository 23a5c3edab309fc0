// The texts this program added beyond the product's table: found by the same
// lookup in every language, one string each, in the instrument's code page,
// and without disturbing the product's ids (the menu test reads them in
// their places).
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace orvadw
