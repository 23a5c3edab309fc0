// The choice list's item table: sorting, display dressing and the mapping
// between display positions and the values that get stored.
#include "params/choice_items.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orvadw {
namespace {

using ::testing::ElementsAre;

TEST(ChoiceItems, SortedListsMapDisplayPositionsToSourcePositions) {
  ChoiceItems up;
  up.set_items({"b", "A", "c"}, ChoiceItems::kAscending);
  EXPECT_THAT(up.display_texts(), ElementsAre("A", "b", "c"));
  ASSERT_EQ(up.set_selected_display_index(0), 0);
  EXPECT_EQ(up.selected_value(), 1);
  EXPECT_EQ(up.selected_text(), "A");

  ChoiceItems down;
  down.set_items({"b", "A", "c"}, ChoiceItems::kDescending);
  EXPECT_THAT(down.display_texts(), ElementsAre("c", "b", "A"));
  EXPECT_EQ(down.value_at_display(0), 2);
  EXPECT_EQ(down.value_at_display(2), 1);
  EXPECT_EQ(down.display_index_of_value(0), 1);

  ChoiceItems given;
  given.set_items({"b", "A", "c"}, 7);  // any other order keeps the source order
  EXPECT_THAT(given.display_texts(), ElementsAre("b", "A", "c"));

  // Equal texts keep their source order, so their values stay predictable.
  ChoiceItems ties;
  ties.set_items({"x", "Same", "same", "a"}, ChoiceItems::kAscending);
  EXPECT_EQ(ties.value_at_display(1), 1);
  EXPECT_EQ(ties.value_at_display(2), 2);
}

TEST(ChoiceItems, DressedAndHiddenItemsInTheIndexMapping) {
  ChoiceItems list;
  list.set_items({"a", "b", "c", "d"});
  ASSERT_TRUE(list.set_flags(1, ChoiceItems::kShown | ChoiceItems::kDashed));
  ASSERT_TRUE(list.set_flags(2, 0));  // not shown at all
  ASSERT_TRUE(list.set_flags(3, ChoiceItems::kShown | ChoiceItems::kMarked));
  EXPECT_FALSE(list.set_flags(4, ChoiceItems::kShown));

  EXPECT_THAT(list.display_texts(), ElementsAre("a", "------", "**d**"));
  EXPECT_EQ(list.display_count(), 3);
  // The dashed item still counts; the hidden one does not.
  EXPECT_EQ(list.value_at_display(1), 1);
  EXPECT_EQ(list.value_at_display(2), 3);
  EXPECT_EQ(list.value_at_display(3), -1);
  list.set_selected_display_index(2);
  EXPECT_EQ(list.selected_value(), 3);
  EXPECT_EQ(list.selected_text(), "d");  // the item's own text, not its dressing
}

TEST(ChoiceItems, SelectingByValue) {
  ChoiceItems empty;
  EXPECT_EQ(empty.select_value(0), -1);
  EXPECT_EQ(empty.selected_value(), 0);
  EXPECT_EQ(empty.selected_text(), "");

  ChoiceItems list;
  list.set_items({"zero", "one", "two"}, ChoiceItems::kDescending);
  EXPECT_EQ(list.selected_value(), -1);  // items, nothing selected yet
  EXPECT_EQ(list.select_value(3), -1);
  EXPECT_EQ(list.select_value(-1), -1);
  ASSERT_EQ(list.select_value(1), 0);
  EXPECT_EQ(list.selected_text(), "one");
  EXPECT_EQ(list.selected_display_index(), 2);

  // A value whose item is not shown leaves the selection alone.
  list.set_flags(0, 0);
  EXPECT_EQ(list.select_value(2), 0);
  EXPECT_EQ(list.selected_value(), 2);
  EXPECT_EQ(list.select_value(0), 0);
  EXPECT_EQ(list.selected_value(), 2);

  // Hiding an item before the selection keeps the same item selected.
  ChoiceItems keep;
  keep.set_items({"a", "b", "c"});
  keep.select_value(2);
  keep.set_flags(0, 0);
  EXPECT_EQ(keep.selected_value(), 2);
  EXPECT_EQ(keep.selected_display_index(), 1);

  EXPECT_EQ(list.set_selected_display_index(9), -1);
  EXPECT_EQ(list.selected_value(), -1);
}

}  // namespace
}  // namespace orvadw
