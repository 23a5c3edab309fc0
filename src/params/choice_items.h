#pragma once
// The item table behind a choice list: what the list holds, in what order it
// is shown, and which stored value each display position stands for. The Qt
// combo box only shows display_texts() and reports the display index the user
// picked; everything that decides a value lives here, so that sorting can
// never leak a display position into what is stored or sent.
#include <string>
#include <vector>

namespace orvadw {

struct ChoiceItem {
  int value = 0;       // by default the item's position in the source list
  unsigned flags = 0;  // ChoiceItems::kShown | kMarked | kDashed
  std::string text;
};

class ChoiceItems {
 public:
  static constexpr unsigned kShown = 1;   // the item is in the visible list
  static constexpr unsigned kMarked = 4;  // shown as "**text**"
  static constexpr unsigned kDashed = 8;  // shown as "------"

  // Orders for set_items.
  static constexpr int kAscending = 1;    // by text, ignoring case
  static constexpr int kDescending = -1;  // the ascending order reversed
  static constexpr int kAsGiven = 0;      // any other order keeps the source order

  // Replaces the items, one per text: value = position in texts, flags =
  // shown. Sorting is stable, so equal texts keep their source order. The
  // selection is cleared.
  void set_items(const std::vector<std::string>& texts, int order = kAsGiven);
  void clear();

  const std::vector<ChoiceItem>& items() const { return items_; }
  int item_count() const { return static_cast<int>(items_.size()); }
  // Changes one item's flags (position in item order); false when out of range.
  bool set_flags(int item_index, unsigned flags);

  // The texts the list shows, in item order, shown items only: "------" for
  // a dashed item, "**text**" for a marked one, else the text.
  std::vector<std::string> display_texts() const;
  int display_count() const;

  // Display position <-> stored value; -1 when there is no such item.
  int value_at_display(int display_index) const;
  int display_index_of_value(int value) const;

  // The display position the list has selected; -1 for none.
  int selected_display_index() const { return selected_display_; }
  // What the platform list reports when the user picks a line; an index out
  // of range clears the selection. Returns 0, or -1 when nothing is selected.
  int set_selected_display_index(int display_index);
  void clear_selection() { selected_display_ = -1; }

  // The selected item's value; 0 when there are no items, -1 when there are
  // items but none is selected.
  int selected_value() const;
  // Selects the shown item holding value. -1 when there are no items or the
  // value is not a valid position (negative or not below the item count);
  // when no shown item holds the value nothing changes (result 0).
  int select_value(int value);
  // The selected item's own text (without the "**" or "------" dressing);
  // "" when nothing is selected.
  std::string selected_text() const;

 private:
  const ChoiceItem* item_at_display(int display_index) const;

  std::vector<ChoiceItem> items_;
  int selected_display_ = -1;
};

}  // namespace orvadw
