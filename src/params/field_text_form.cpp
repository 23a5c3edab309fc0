#include "params/field_text_form.h"

#include <algorithm>
#include <map>

#include "base/c_locale.h"
#include "base/text_table.h"
#include "params/form_value_escape.h"
#include "params/value_format.h"

namespace orvadw {

std::vector<std::string> FieldTextForm::keys(const ParameterFieldList& list) {
  std::vector<std::string> out;
  std::map<std::string, int> seen;
  for (const ParameterField& f : list) {
    const auto& d = f.descriptor();
    std::string key = d.label_text_id != 0 ? text_of(d.label_text_id, list.language()) : std::string();
    if (key.empty()) key = "c" + std::to_string(d.control_id);
    int count = ++seen[key];
    if (count > 1) key += " #" + std::to_string(count);
    out.push_back(key);
  }
  return out;
}

namespace {

std::string unit_of(const ParameterField& field, int language) {
  int unit = field.descriptor().unit_text_id;
  return unit > 0 ? text_of(unit, language) : std::string();
}

bool lists_items(const ParameterField& field) {
  return field.is_choice() || field.is_list_display();
}

// The item values holding text, in list order.
std::vector<int> values_with_text(const ParameterField& field, const std::string& text) {
  std::vector<int> values;
  for (const ChoiceItem& item : field.items().items()) {
    if (item.text == text) values.push_back(item.value);
  }
  std::sort(values.begin(), values.end());
  return values;
}

// The value of the item the form's text names: the plain text is its first
// holder, "text #n" the n-th; -1 when no item answers.
int item_value_of(const ParameterField& field, const std::string& value) {
  std::vector<int> plain = values_with_text(field, value);
  if (!plain.empty()) return plain.front();
  const std::size_t mark = value.rfind(" #");
  if (mark == std::string::npos || mark + 2 >= value.size()) return -1;
  const std::string digits = value.substr(mark + 2);
  if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 4) return -1;
  const std::size_t rank = static_cast<std::size_t>(std::stoi(digits));
  std::vector<int> holders = values_with_text(field, value.substr(0, mark));
  if (rank < 2 || rank > holders.size()) return -1;
  return holders[rank - 1];
}

}  // namespace

std::string FieldTextForm::value_text(const ParameterField& field) {
  std::string text = field.value_text();
  if (!lists_items(field)) return text;
  const int selected = field.is_choice() ? field.items().selected_value() : field.integer();
  std::vector<int> holders = values_with_text(field, text);
  for (std::size_t rank = 1; rank < holders.size(); ++rank) {
    if (holders[rank] == selected) return text + " #" + std::to_string(rank + 1);
  }
  return text;
}

std::vector<std::string> FieldTextForm::lines(const ParameterFieldList& list, int block) {
  std::vector<std::string> all_keys = keys(list);
  std::vector<std::string> out;
  for (int position : list.block_fields(block)) {
    const ParameterField& f = list.at(static_cast<std::size_t>(position));
    std::string line =
        all_keys[static_cast<std::size_t>(position)] + " = " + escape_form_value(value_text(f));
    std::string unit = unit_of(f, list.language());
    if (!unit.empty()) line += " " + unit;
    out.push_back(line);
  }
  return out;
}

int FieldTextForm::set_from_text(ParameterField& field, const std::string& value) {
  if (lists_items(field)) {
    const int item = item_value_of(field, value);
    if (item < 0) return -1;
    if (field.is_choice())
      return field.choose_display_index(field.items().display_index_of_value(item));
    return field.set_integer(item);
  }
  if (field.value_control() == ValueControl::kEdit || field.value_control() == ValueControl::kSpin) {
    if (field.edit_text(value) != 0) return -1;
    field.finish_edit();
    return 0;
  }
  if (field.is_date()) return field.set_text(value);
  const std::string& format = field.format();
  const char kind = format_kind(format);
  if (kind == 'h') return field.set_number(read_hex(value));
  if (kind == 'f' || format_has_auto(format)) return field.set_number(read_number(value));
  return field.set_text(value);
}

int FieldTextForm::apply(ParameterFieldList& list, int block, const std::vector<std::string>& text, Error& error) {
  std::vector<std::string> all_keys = keys(list);
  std::map<std::string, int> by_key;
  for (int position : list.block_fields(block)) by_key[all_keys[static_cast<std::size_t>(position)]] = position;

  for (std::size_t n = 0; n < text.size(); ++n) {
    std::string line = text[n];
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos || line.front() == '#') continue;
    error = Error{static_cast<int>(n) + 1, line, {}};

    std::string key;
    std::string value;
    std::size_t eq = line.find(" = ");
    if (eq != std::string::npos) {
      key = line.substr(0, eq);
      value = line.substr(eq + 3);
    } else if (line.size() >= 2 && line.compare(line.size() - 2, 2, " =") == 0) {
      key = line.substr(0, line.size() - 2);  // an empty value whose blank was trimmed away
    } else {
      error.reason = "expected \"key = value\"";
      return -1;
    }
    auto it = by_key.find(key);
    if (it == by_key.end()) {
      error.reason = "unknown key \"" + key + "\"";
      return -1;
    }
    ParameterField& field = list.at(static_cast<std::size_t>(it->second));
    std::string unit = unit_of(field, list.language());
    if (!unit.empty() && value.size() > unit.size() &&
        value.compare(value.size() - unit.size() - 1, unit.size() + 1, " " + unit) == 0) {
      value.erase(value.size() - unit.size() - 1);
    }
    if (set_from_text(field, unescape_form_value(value)) != 0) {
      error.reason = "\"" + value + "\" is not a value of \"" + key + "\"";
      return -1;
    }
  }
  error = Error{};
  return 0;
}

}  // namespace orvadw
