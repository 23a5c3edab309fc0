#pragma once
// The rows of the language text table, kept apart from the lookup so that a
// translator reviews one file: each row is an id and its strings in French,
// English, Portuguese and German, one string per list item.
#include <string_view>
#include <vector>

namespace orvadw {

struct TextRow {
  int id;
  std::vector<std::string_view> fr;
  std::vector<std::string_view> en;
  std::vector<std::string_view> pt;
  std::vector<std::string_view> de;

  // The strings of language 1 (French) to 4 (German); nullptr otherwise.
  const std::vector<std::string_view>* in(int language) const {
    switch (language) {
      case 1: return &fr;
      case 2: return &en;
      case 3: return &pt;
      case 4: return &de;
      default: return nullptr;
    }
  }
};

// Every row, in id order; built on first use.
const std::vector<TextRow>& text_rows();
// The rows this program added beyond the product's table (ids from 1001),
// in id order.
const std::vector<TextRow>& own_text_rows();

}  // namespace orvadw
