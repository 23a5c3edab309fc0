#include "params/choice_items.h"

#include <algorithm>
#include <cctype>

namespace orvadw {

namespace {
// Case-insensitive for ASCII letters; other bytes compare as they are, so
// accented texts still get a stable, deterministic order.
bool less_ignoring_case(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}
}  // namespace

void ChoiceItems::set_items(const std::vector<std::string>& texts, int order) {
  items_.clear();
  items_.reserve(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    items_.push_back(ChoiceItem{static_cast<int>(i), kShown, texts[i]});
  }
  if (order == kAscending || order == kDescending) {
    std::stable_sort(items_.begin(), items_.end(), [](const ChoiceItem& a, const ChoiceItem& b) {
      return less_ignoring_case(a.text, b.text);
    });
    if (order == kDescending) std::reverse(items_.begin(), items_.end());
  }
  selected_display_ = -1;
}

void ChoiceItems::clear() {
  items_.clear();
  selected_display_ = -1;
}

bool ChoiceItems::set_flags(int item_index, unsigned flags) {
  if (item_index < 0 || item_index >= item_count()) return false;
  // Keep the selection on the same item when visibility changes around it.
  int selected_value_before = selected_display_ >= 0 ? selected_value() : -1;
  bool had_selection = selected_display_ >= 0;
  items_[static_cast<std::size_t>(item_index)].flags = flags;
  if (had_selection) {
    selected_display_ = display_index_of_value(selected_value_before);
  }
  return true;
}

std::vector<std::string> ChoiceItems::display_texts() const {
  std::vector<std::string> out;
  for (const auto& item : items_) {
    if ((item.flags & kShown) == 0) continue;
    if (item.flags & kDashed) {
      out.emplace_back("------");
    } else if (item.flags & kMarked) {
      out.push_back("**" + item.text + "**");
    } else {
      out.push_back(item.text);
    }
  }
  return out;
}

int ChoiceItems::display_count() const {
  return static_cast<int>(
      std::count_if(items_.begin(), items_.end(), [](const ChoiceItem& i) { return i.flags & kShown; }));
}

const ChoiceItem* ChoiceItems::item_at_display(int display_index) const {
  if (display_index < 0) return nullptr;
  int shown = 0;
  for (const auto& item : items_) {
    if ((item.flags & kShown) == 0) continue;
    if (shown == display_index) return &item;
    ++shown;
  }
  return nullptr;
}

int ChoiceItems::value_at_display(int display_index) const {
  const ChoiceItem* item = item_at_display(display_index);
  return item == nullptr ? -1 : item->value;
}

int ChoiceItems::display_index_of_value(int value) const {
  int shown = 0;
  for (const auto& item : items_) {
    if ((item.flags & kShown) == 0) continue;
    if (item.value == value) return shown;
    ++shown;
  }
  return -1;
}

int ChoiceItems::set_selected_display_index(int display_index) {
  selected_display_ = item_at_display(display_index) == nullptr ? -1 : display_index;
  return selected_display_ < 0 ? -1 : 0;
}

int ChoiceItems::selected_value() const {
  if (items_.empty()) return 0;
  const ChoiceItem* item = item_at_display(selected_display_);
  return item == nullptr ? -1 : item->value;
}

int ChoiceItems::select_value(int value) {
  if (items_.empty() || value < 0 || value >= item_count()) return -1;
  int display = display_index_of_value(value);
  if (display >= 0) selected_display_ = display;
  return 0;
}

std::string ChoiceItems::selected_text() const {
  const ChoiceItem* item = item_at_display(selected_display_);
  return item == nullptr ? std::string() : item->text;
}

}  // namespace orvadw
