#include "base/text_table.h"

#include <array>

#include "base/text_table_data.h"

namespace orvadw {

namespace {

constexpr int kFirstId = 1;
constexpr int kLastId = 247;

// Rows by id, built once; a null entry is an id without texts.
const std::array<const TextRow*, kLastId + 1>& rows_by_id() {
  static const auto index = [] {
    std::array<const TextRow*, kLastId + 1> by_id{};
    for (const TextRow& row : text_rows()) {
      // A stray id outside the range or a second row for an id must not
      // replace the first one; the table test reports both.
      if (row.id < kFirstId || row.id > kLastId || by_id[row.id] != nullptr) continue;
      by_id[row.id] = &row;
    }
    return by_id;
  }();
  return index;
}

// The program's own rows: few, so found by a walk.
const TextRow* own_row(int id) {
  if (id < kFirstOwnTextId) return nullptr;
  for (const TextRow& row : own_text_rows()) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

// The strings of an id in a language; nullptr for an unused id or a language
// without a column (below 1 a damaged setting, above 4 unknown).
const std::vector<std::string_view>* strings_of(int id, int language) {
  if (language < 1 || language > TextTable::language_count()) return nullptr;
  const TextRow* row = (id >= kFirstId && id <= kLastId) ? rows_by_id()[id] : own_row(id);
  return row == nullptr ? nullptr : row->in(language);
}

void fill(std::vector<std::string>& out, int id, int language) {
  out.clear();
  if (language > TextTable::language_count()) {
    // An unknown language still gives the caller one (empty) string to show.
    out.emplace_back();
    return;
  }
  if (const auto* strings = strings_of(id, language)) {
    for (std::string_view s : *strings) out.emplace_back(s);
  }
}

}  // namespace

TextTable::TextTable(int language) : language_(language) {}

const std::vector<std::string>& TextTable::lookup(int id, int language) {
  fill(result_, id, language);
  return result_;
}

std::string TextTable::text(int id) { return text(id, 0); }

std::string TextTable::text(int id, int index) { return text_of(id, index, language_); }

std::vector<std::string> text_list(int id, int language) {
  std::vector<std::string> out;
  fill(out, id, language);
  return out;
}

std::string text_of(int id, int language) { return text_of(id, 0, language); }

std::string text_of(int id, int index, int language) {
  // One string of the row, without copying the whole list first.
  const auto* strings = strings_of(id, language);
  if (strings == nullptr || index < 0 || static_cast<std::size_t>(index) >= strings->size()) return {};
  return std::string((*strings)[static_cast<std::size_t>(index)]);
}

std::vector<int> text_table_ids() {
  std::vector<int> ids;
  ids.reserve(text_rows().size());
  for (const TextRow& row : text_rows()) ids.push_back(row.id);
  return ids;
}

std::vector<int> own_text_ids() {
  std::vector<int> ids;
  for (const TextRow& row : own_text_rows()) ids.push_back(row.id);
  return ids;
}

}  // namespace orvadw
