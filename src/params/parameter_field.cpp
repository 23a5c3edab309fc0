#include "params/parameter_field.h"

#include <algorithm>
#include <climits>

#include "base/c_locale.h"
#include "base/date_time.h"
#include "base/text_table.h"
#include "params/chart_series.h"
#include "params/grid_table.h"
#include "params/value_codec.h"
#include "params/value_format.h"

namespace orvadw {

namespace {

bool valid_language(int language) { return language >= 1 && language <= TextTable::language_count(); }

int to_int(double v) { return static_cast<int>(saturate(v, INT_MIN, INT_MAX)); }

std::string date_text(const DateTime& date) { return date.format_date() + " - " + date.format_time(); }

}  // namespace

ParameterField::ParameterField(const ParameterDescriptor& descriptor, int language)
    : descriptor_(descriptor),
      language_(valid_language(language) ? language : kEnglish),
      label_text_id_(descriptor.label_text_id) {
  force_format();
  decide_controls();
  if (value_control_ == ValueControl::kEdit || value_control_ == ValueControl::kSpin) {
    double minimum = descriptor_.minimum;
    double maximum = descriptor_.maximum;
    if (descriptor_.kind & kind::kNotLimited) minimum = maximum = 0;
    int rc = value_control_ == ValueControl::kSpin ? editor_.set_format(minimum, maximum, 0, 0, format_)
                                                   : editor_.field().set_format(minimum, maximum, 0, 0, format_);
    if (rc != 0) {
      // A range or format the number field refuses: keep the text as typed,
      // without limits rather than with nonsense ones.
      editor_.field().set_format(0, 0, 0, 0, format_.size() >= 2 ? format_ : std::string("%s"));
    }
  }
  if (value_control_ == ValueControl::kGrid) grid_ = std::make_unique<GridTable>();
  if (value_control_ == ValueControl::kChart) {
    // The choice list id of a chart field is its number of points.
    const int count = descriptor_.choice_list_id > 0 ? descriptor_.choice_list_id
                                                     : ChartSeries::kDefaultPointCount;
    chart_ = std::make_unique<ChartSeries>(count);
    chart_->set_label_format(format_, unit_text());
    chart_->set_range(descriptor_.minimum, descriptor_.maximum);
  }
  load_items();
  show_initial_text();
  commit();
}

ParameterField::~ParameterField() = default;

// Forcing rules, in order; a later rule overrides an earlier one.
void ParameterField::force_format() {
  format_ = descriptor_.format;
  const std::uint32_t k = descriptor_.kind;
  if (is_date_type(descriptor_.value_type)) format_ = "%s";
  if ((k & kind::kGrid) || (k & kind::kFrame) || ((k & kind::kReadOnly) && format_.empty()) ||
      (k & kind::kBlankLine) || (k & kind::kBreak) || k == kind::kHeading || k == kind::kPrintBlock) {
    format_ = "%s";
  }
  if (k & kind::kChoice) format_ = "%c";
  if (k == 0) format_ = "%rien%";
  if (k & kind::kConstant) format_ = "%s";
}

void ParameterField::decide_controls() {
  const std::uint32_t k = descriptor_.kind;
  if (is_hidden_value()) return;  // the value lives only as text
  if (k & (kind::kGrid | kind::kConstant)) {
    if (k & kind::kGrid) value_control_ = ValueControl::kGrid;
    return;
  }
  if (k & kind::kFrame) {
    has_frame_ = true;
    return;
  }
  if ((k & (kind::kPrintBlock | kind::kHeading | kind::kBlankLine | kind::kBreak)) && !(k & kind::kReadOnly)) {
    return;  // a line of the printed sheet only
  }
  has_label_ = descriptor_.label_text_id != 0;
  if (k & kind::kChoice) {
    value_control_ = ValueControl::kChoice;
  } else if (k & kind::kEdit) {
    value_control_ = ValueControl::kEdit;
  } else if (k & kind::kSpin) {
    value_control_ = ValueControl::kSpin;
  } else if (k & kind::kReadOnly) {
    value_control_ = ValueControl::kStaticText;
  } else if (k & kind::kChart) {
    value_control_ = ValueControl::kChart;
  }
  has_unit_ = descriptor_.unit_text_id != 0;
}

int ParameterField::label_control_id() const { return has_label_ || has_frame_ ? descriptor_.control_id : 0; }

int ParameterField::value_control_id() const {
  if (value_control_ == ValueControl::kNone) return 0;
  return descriptor_.label_text_id != 0 && has_label_ ? descriptor_.control_id + 1 : descriptor_.control_id;
}

int ParameterField::unit_control_id() const {
  if (!has_unit_) return 0;
  return descriptor_.label_text_id != 0 ? descriptor_.control_id + 2 : descriptor_.control_id + 1;
}

bool ParameterField::is_hidden_value() const { return descriptor_.presentation & presentation::kHiddenValue; }

bool ParameterField::is_list_display() const {
  return !is_hidden_value() && value_control_ == ValueControl::kStaticText && format_kind(format_) == 'l';
}

bool ParameterField::is_date() const { return is_date_type(descriptor_.value_type); }

bool ParameterField::is_block_value() const {
  return descriptor_.block_address != -1 && descriptor_.byte_offset >= 0 && (descriptor_.kind & kind::kValueKinds);
}

bool ParameterField::is_value_enabled() const {
  return is_enabled() && (descriptor_.presentation & presentation::kValueDisabled) == 0;
}

bool ParameterField::is_printed() const {
  return (descriptor_.presentation & (presentation::kNotPrinted1 | presentation::kNotPrinted2)) == 0;
}

void ParameterField::load_items() {
  bool list_display = is_list_display();
  if (!is_choice() && !list_display) return;
  std::vector<std::string> texts;
  if (descriptor_.choice_list_id > 0) texts = text_list(descriptor_.choice_list_id, language_);
  if (is_choice()) {
    // The minimum is an index offset and the maximum a count.
    long long offset = saturate(descriptor_.minimum, 0, INT_MAX);
    long long count = saturate(descriptor_.maximum, 0, INT_MAX);
    if (count > 0 && static_cast<long long>(texts.size()) >= offset + count) {
      texts.resize(static_cast<std::size_t>(offset + count));
    }
    if (offset > 0 && offset < static_cast<long long>(texts.size())) {
      texts.erase(texts.begin(), texts.begin() + offset);
    }
    // Keep the selected value, not the position: a sorted list may order the
    // items differently in another language.
    int previous = items_.selected_display_index() >= 0 ? items_.selected_value() : -1;
    int order = (descriptor_.kind & kind::kSortAscending)    ? ChoiceItems::kAscending
                : (descriptor_.kind & kind::kSortDescending) ? ChoiceItems::kDescending
                                                             : ChoiceItems::kAsGiven;
    items_.set_items(texts, order);
    if (previous >= 0) items_.select_value(previous);
  } else {
    items_.set_items(texts);
    if (list_index_ >= 0) select_list_line(list_index_);
  }
  notify_items();
}

void ParameterField::show_initial_text() {
  // A chart starts with no point at all.
  if (value_control_ == ValueControl::kChart) return;
  const std::string& initial = descriptor_.initial_text;
  const char k = format_kind(format_);
  if (is_date()) {
    // Nothing read yet: six zero bytes, and the table's text on show.
    raw_date_ = 0;
    if (is_hidden_value()) {
      hidden_text_ = initial;
    } else if (value_control_ == ValueControl::kEdit || value_control_ == ValueControl::kSpin) {
      editor_.field().set_text(initial);
    } else {
      static_text_ = initial;
    }
    return;
  }
  if (is_choice() || k == 'c' || k == 'l') {
    if (initial.empty() && !is_choice()) return;  // a list display starts blank
    set_integer(static_cast<int>(saturate(c_strtoll(initial), INT_MIN, INT_MAX)));
    return;
  }
  if (k == 'f' || format_has_auto(format_)) {
    set_number(read_number(initial));
    return;
  }
  if (k == 'h') {
    set_number(read_hex_or_number(initial));
    return;
  }
  set_text(initial);
}

int ParameterField::set_language(int language) {
  if (!valid_language(language)) return -1;
  language_ = language;
  load_items();
  if (chart_) chart_->set_label_format(format_, unit_text());
  notify_state();
  return 0;
}

int ParameterField::set_chart_range(double minimum, double maximum) {
  if (!chart_ || !is_shown()) return -1;
  chart_->set_range(minimum, maximum);
  return 0;
}

std::string ParameterField::label_text() const {
  if (label_text_id_ <= 0) return {};
  const std::uint32_t print_only =
      kind::kPrintBlock | kind::kHeading | kind::kBlankLine | kind::kBreak | kind::kConstant;
  if ((descriptor_.kind & print_only) || has_label_ || has_frame_) return text_of(label_text_id_, language_);
  return {};
}

std::string ParameterField::unit_text() const {
  if (descriptor_.unit_text_id <= 0) return {};
  if ((descriptor_.kind & kind::kConstant) || has_unit_) return text_of(descriptor_.unit_text_id, language_);
  return {};
}

void ParameterField::set_label_text_id(int text_id) {
  if (text_id == label_text_id_) return;
  label_text_id_ = text_id;
  notify_state();
}

std::string ParameterField::value_text() const {
  if (is_hidden_value()) return hidden_text_;
  switch (value_control_) {
    case ValueControl::kChoice:
      return items_.selected_text();
    case ValueControl::kEdit:
    case ValueControl::kSpin:
      return editor_.field().text();
    case ValueControl::kStaticText:
      return static_text_;
    case ValueControl::kChart:
    case ValueControl::kGrid:
      return {};
    case ValueControl::kNone:
      return (descriptor_.kind & kind::kConstant) ? descriptor_.initial_text : std::string();
  }
  return {};
}

double ParameterField::number() const {
  const bool hex = format_kind(format_) == 'h';
  if (is_hidden_value()) return hex ? read_hex(hidden_text_) : read_number(hidden_text_);
  switch (value_control_) {
    case ValueControl::kEdit:
    case ValueControl::kSpin:
      return hex ? editor_.field().number() : read_number(editor_.field().text());
    case ValueControl::kStaticText:
      return hex ? read_hex(static_text_) : read_number(static_text_);
    case ValueControl::kChart:
      return chart_value_;
    case ValueControl::kChoice:
      return read_number(value_text());
    case ValueControl::kGrid:
    case ValueControl::kNone:
      return 0;
  }
  return 0;
}

int ParameterField::integer() const {
  if (is_hidden_value()) return static_cast<int>(saturate(c_strtoll(hidden_text_), INT_MIN, INT_MAX));
  if (is_choice()) {
    if (items_.item_count() == 0) return -1;
    int value = items_.selected_value();
    if (value < 0) return -1;
    return static_cast<int>(saturate(static_cast<long long>(value) + to_int(descriptor_.minimum), INT_MIN, INT_MAX));
  }
  if (is_list_display()) return list_index_;
  return -1;
}

std::string ParameterField::print_number(double value) const {
  if (format_kind(format_) == 'h') return hex_text(value);
  if (format_has_auto(format_)) return format_auto(value, auto_digits(format_));
  return format_float(format_, value);
}

int ParameterField::set_number(double value, ChangeOrigin origin) {
  if (is_hidden_value()) {
    hidden_text_ = print_number(value);
    notify_value(origin);
    return 0;
  }
  // A chart keeps a value beyond its range as it is: it is not drawn, and
  // is drawn again once a wider range takes it in.
  if (!(descriptor_.kind & kind::kNotLimited) && descriptor_.maximum > descriptor_.minimum &&
      value_control_ != ValueControl::kChart) {
    if (value > descriptor_.maximum) value = descriptor_.maximum;
    if (value < descriptor_.minimum) value = descriptor_.minimum;
  }
  const bool hex = format_kind(format_) == 'h';
  switch (value_control_) {
    case ValueControl::kChart:
      chart_value_ = value;
      if (chart_) chart_->add_point(value, !chart_takes_points());
      break;
    case ValueControl::kEdit:
    case ValueControl::kSpin:
      if (hex) {
        editor_.field().set_number(value);
      } else {
        editor_.field().set_text(print_number(value));
      }
      break;
    case ValueControl::kStaticText:
      static_text_ = print_number(value);
      list_index_ = -1;
      break;
    case ValueControl::kChoice:
      return set_text(print_number(value), origin);
    case ValueControl::kGrid:
    case ValueControl::kNone:
      return -1;
  }
  notify_value(origin);
  return 0;
}

int ParameterField::set_integer(int value, ChangeOrigin origin) {
  if (is_hidden_value()) {
    hidden_text_ = c_format("%d", value);
    notify_value(origin);
    return 0;
  }
  if (is_choice()) {
    long long offset = to_int(descriptor_.minimum);
    long long count = to_int(descriptor_.maximum);
    long long wanted = value;
    if (descriptor_.maximum > descriptor_.minimum && wanted - offset >= count) {
      items_.clear_selection();
      notify_value(origin);
      return -1;
    }
    long long items = items_.item_count();
    if (wanted >= offset + items) wanted = offset + items - 1;  // beyond the list: the last item
    int rc = items_.select_value(static_cast<int>(saturate(wanted - offset, INT_MIN, INT_MAX)));
    notify_value(origin);
    return rc;
  }
  if (is_list_display()) {
    int rc = select_list_line(value);
    notify_value(origin);
    return rc;
  }
  return -1;
}

int ParameterField::select_list_line(int index) {
  int count = items_.item_count();
  if (count == 0 || index < 0) {
    list_index_ = -1;
    static_text_.clear();
    items_.clear_selection();
    return -1;
  }
  if (index >= count) index = count - 1;
  list_index_ = index;
  items_.select_value(index);
  static_text_ = items_.items()[static_cast<std::size_t>(index)].text;
  return 0;
}

int ParameterField::set_text(const std::string& text, ChangeOrigin origin) {
  if (is_date()) {
    DateTime date = DateTime::parse(text);
    return set_raw_date(ValueCodec::raw_from_date(descriptor_.value_type, date), origin);
  }
  if (is_hidden_value()) {
    hidden_text_ = text;
    notify_value(origin);
    return 0;
  }
  switch (value_control_) {
    case ValueControl::kChoice: {
      const auto& items = items_.items();
      auto it = std::find_if(items.begin(), items.end(), [&](const ChoiceItem& i) { return i.text == text; });
      if (it == items.end()) return -1;
      int display = items_.display_index_of_value(it->value);
      if (display < 0) return -1;
      items_.set_selected_display_index(display);
      break;
    }
    case ValueControl::kEdit:
    case ValueControl::kSpin:
      editor_.field().set_text(text);
      break;
    case ValueControl::kStaticText:
      if (is_list_display()) {
        const auto& items = items_.items();
        auto it = std::find_if(items.begin(), items.end(), [&](const ChoiceItem& i) { return i.text == text; });
        list_index_ = it == items.end() ? -1 : static_cast<int>(it - items.begin());
        if (list_index_ >= 0) {
          items_.select_value(list_index_);
        } else {
          items_.clear_selection();
        }
      }
      static_text_ = text;
      break;
    case ValueControl::kChart:
    case ValueControl::kGrid:
    case ValueControl::kNone:
      return -1;
  }
  notify_value(origin);
  return 0;
}

int ParameterField::set_raw_date(std::uint64_t raw, ChangeOrigin origin) {
  if (!is_date()) return -1;
  raw_date_ = raw & 0xFFFFFFFFFFFFULL;
  std::string text = date_text(ValueCodec::date_from_raw(descriptor_.value_type, raw_date_));
  if (is_hidden_value()) {
    hidden_text_ = text;
  } else if (value_control_ == ValueControl::kEdit || value_control_ == ValueControl::kSpin) {
    editor_.field().set_text(text);
  } else if (value_control_ == ValueControl::kStaticText) {
    static_text_ = text;
  } else {
    return -1;
  }
  notify_value(origin);
  return 0;
}

int ParameterField::edit_text(const std::string& text) {
  if (value_control_ != ValueControl::kEdit && value_control_ != ValueControl::kSpin) return -1;
  editor_.field().set_text(text);
  notify_value(ChangeOrigin::kUser);
  return 0;
}

bool ParameterField::finish_edit() {
  if (value_control_ != ValueControl::kEdit && value_control_ != ValueControl::kSpin) return false;
  bool limited = editor_.field().finish_edit();
  notify_value(ChangeOrigin::kUser);
  return limited;
}

bool ParameterField::spin(int delta) {
  if (value_control_ != ValueControl::kSpin) return false;
  bool limited = editor_.apply_delta(delta);
  notify_value(ChangeOrigin::kUser);
  return limited;
}

int ParameterField::choose_display_index(int display_index) {
  if (!is_choice()) return -1;
  int rc = items_.set_selected_display_index(display_index);
  notify_value(ChangeOrigin::kUser);
  return rc;
}

void ParameterField::set_items(const std::vector<std::string>& texts) {
  items_.set_items(texts);
  if (is_list_display()) {
    select_list_line(0);
  } else {
    items_.set_selected_display_index(0);
  }
  notify_items();
  notify_value(ChangeOrigin::kProgram);
}

bool ParameterField::set_item_flags(int item_index, unsigned flags) {
  if (!items_.set_flags(item_index, flags)) return false;
  notify_items();
  return true;
}

// The state setters tell observers only of a real change: rules run after
// every edit and must not repaint what did not move.
void ParameterField::set_presentation(std::uint32_t presentation) {
  if (presentation == descriptor_.presentation) return;
  descriptor_.presentation = presentation;
  notify_state();
}

void ParameterField::enable(bool on) {
  const std::uint32_t p = descriptor_.presentation;
  set_presentation(on ? p & ~presentation::kDisabled : p | presentation::kDisabled);
}

void ParameterField::show(bool on) {
  const std::uint32_t p = descriptor_.presentation;
  set_presentation(on ? p & ~presentation::kHidden : p | presentation::kHidden);
}

void ParameterField::show_on_page(bool on) {
  const std::uint32_t p = descriptor_.presentation;
  const std::uint32_t bits = presentation::kHidden | presentation::kNotPrinted1;
  set_presentation(on ? p & ~bits : p | bits);
}

void ParameterField::blank_value() {
  if (is_choice() || is_list_display()) {
    set_items({std::string()});
    return;
  }
  if (is_hidden_value()) {
    hidden_text_.clear();
  } else if (value_control_ == ValueControl::kEdit || value_control_ == ValueControl::kSpin) {
    editor_.field().set_text({});
  } else {
    static_text_.clear();
  }
  notify_value(ChangeOrigin::kProgram);
}

void ParameterField::add_observer(FieldObserver* observer) {
  if (observer != nullptr && std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void ParameterField::remove_observer(FieldObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

// Observers may add or remove themselves while being told: walk a copy.
void ParameterField::notify_value(ChangeOrigin origin) {
  auto copy = observers_;
  for (auto* o : copy) o->field_value_changed(*this, origin);
}

void ParameterField::notify_items() {
  auto copy = observers_;
  for (auto* o : copy) o->field_items_changed(*this);
}

void ParameterField::notify_state() {
  auto copy = observers_;
  for (auto* o : copy) o->field_state_changed(*this);
}

}  // namespace orvadw
