#include "params/parameter_field_list.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "base/c_locale.h"
#include "base/text_table.h"
#include "params/value_codec.h"
#include "params/value_format.h"

namespace orvadw {

ParameterFieldList::ParameterFieldList(int language, int page_count)
    : language_(language >= 1 && language <= TextTable::language_count() ? language : kEnglish),
      page_count_(page_count < 0 ? 0 : page_count) {}

int ParameterFieldList::add(const ParameterDescriptor& descriptor) { return add(descriptor, descriptor.page); }

int ParameterFieldList::add(ParameterDescriptor descriptor, int page) {
  bool hidden = descriptor.presentation & presentation::kHiddenValue;
  if (!hidden && (page < -1 || page >= page_count_)) return -1;
  descriptor.page = page;
  fields_.push_back(std::make_unique<ParameterField>(descriptor, language_));
  for (auto* o : observers_) fields_.back()->add_observer(o);
  return static_cast<int>(fields_.size()) - 1;
}

ParameterField* ParameterFieldList::field(int control_id) {
  for (auto& f : fields_) {
    if (f->descriptor().control_id == control_id) return f.get();
  }
  return nullptr;
}

const ParameterField* ParameterFieldList::field(int control_id) const {
  return const_cast<ParameterFieldList*>(this)->field(control_id);
}

void ParameterFieldList::show_on_page(int control_id, bool on) {
  if (ParameterField* f = field(control_id)) f->show_on_page(on);
}

void ParameterFieldList::enable(int control_id, bool on) {
  if (ParameterField* f = field(control_id)) f->enable(on);
}

int ParameterFieldList::integer(int control_id) const {
  const ParameterField* f = field(control_id);
  return f != nullptr ? f->integer() : -1;
}

int ParameterFieldList::position_of(const ParameterField& field) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (fields_[i].get() == &field) return static_cast<int>(i);
  }
  return -1;
}

std::vector<int> ParameterFieldList::blocks() const {
  std::vector<int> out;
  for (const auto& f : fields_) {
    int b = f->descriptor().block_address;
    if (b != -1 && f->descriptor().byte_offset >= 0 && std::find(out.begin(), out.end(), b) == out.end()) {
      out.push_back(b);
    }
  }
  return out;
}

std::vector<int> ParameterFieldList::block_fields(int block) const {
  std::vector<int> out;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const auto& f = *fields_[i];
    if (f.is_block_value() && f.descriptor().block_address == block) out.push_back(static_cast<int>(i));
  }
  return out;
}

int ParameterFieldList::block_length(int block) const {
  long long length = 0;
  for (const auto& f : fields_) {
    const auto& d = f->descriptor();
    if (d.block_address != block || d.byte_offset < 0) continue;
    long long end = static_cast<long long>(d.byte_offset) + value_type_size(d.value_type, d.maximum);
    length = std::max(length, end);
  }
  return static_cast<int>(std::min<long long>(length, INT_MAX - 1));
}

int ParameterFieldList::decode(int block, std::span<const std::uint8_t> bytes, ChangeOrigin origin) {
  bool complete = true;
  for (auto& f : fields_) {
    if (f->is_block_value() && f->descriptor().block_address == block) decode_field(*f, bytes, origin, complete);
  }
  return complete ? 0 : -1;
}

void ParameterFieldList::decode_field(ParameterField& field, std::span<const std::uint8_t> bytes,
                                      ChangeOrigin origin, bool& complete) {
  const auto& d = field.descriptor();
  const std::string& format = field.format();
  const char k = format_kind(format);
  const bool is_auto = format_has_auto(format);
  const std::uint32_t layout = ValueCodec::layout(d.value_type);
  const bool numeric_format = is_auto || k == 'c' || k == 'f' || k == 'h' || k == 'l';
  const bool handled = numeric_format ? ValueCodec::is_integer_type(d.value_type) || ValueCodec::takes_number(d.value_type)
                                      : k == 's' && (layout == value_type::kText || field.is_date());
  if (!handled) return;
  if (!ValueCodec::fits(d.value_type, d.maximum, d.byte_offset, bytes.size())) {
    complete = false;  // the value lies beyond the data: keep what the field holds
    return;
  }
  if (!numeric_format) {
    if (layout == value_type::kText) {
      std::string text;
      if (ValueCodec::read_text(bytes, d.byte_offset, d.maximum, text)) field.set_text(text, origin);
    } else if (field.is_date()) {
      std::uint64_t raw = 0;
      if (ValueCodec::read_date_raw(d.value_type, bytes, d.byte_offset, raw)) field.set_raw_date(raw, origin);
    }
    return;
  }
  double value = 0;
  if (!ValueCodec::read_number(d.value_type, bytes, d.byte_offset, value)) return;
  if (ValueCodec::is_scaled(d.value_type)) value /= decimal_scale(format);
  if (field.is_choice() || k == 'l') {
    field.set_integer(static_cast<int>(saturate(std::trunc(value), INT_MIN, INT_MAX)), origin);
  } else {
    field.set_number(value, origin);
  }
}

std::vector<std::uint8_t> ParameterFieldList::encode(int block) const {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(block_length(block)), 0);
  for (const auto& f : fields_) {
    if (f->is_block_value() && f->descriptor().block_address == block) encode_field(*f, bytes);
  }
  return bytes;
}

void ParameterFieldList::encode_field(const ParameterField& field, std::span<std::uint8_t> bytes) const {
  const auto& d = field.descriptor();
  const std::string& format = field.format();
  const char k = format_kind(format);
  const std::uint32_t layout = ValueCodec::layout(d.value_type);
  if (k == 's') {
    if (layout == value_type::kText) {
      ValueCodec::write_text(bytes, d.byte_offset, d.maximum, field.value_text());
    } else if (field.is_date()) {
      ValueCodec::write_date_raw(d.value_type, bytes, d.byte_offset, field.raw_date());
    }
    return;
  }
  const bool is_auto = format_has_auto(format);
  if (!is_auto && k != 'c' && k != 'f' && k != 'h' && k != 'l') return;
  if (ValueCodec::takes_number(d.value_type)) {
    ValueCodec::write_number(d.value_type, bytes, d.byte_offset, field.number());
    return;
  }
  if (!ValueCodec::is_integer_type(d.value_type)) return;
  long long integer = 0;
  if (k == 'f' && !is_auto) {
    // The shown text carries exactly the format's decimals: "27.9" -> 279.
    integer = text_as_integer(field.value_text());
  } else if (k == 'c' || k == 'l') {
    integer = field.integer();
  } else {
    // "h" and significant-digit formats: the number rounded to a whole one.
    integer = text_as_integer(c_format("%0.f", std::isfinite(field.number()) ? field.number() : 0.0));
  }
  ValueCodec::write_integer(d.value_type, bytes, d.byte_offset, integer);
}

std::vector<std::uint8_t> ParameterFieldList::register_image(int block) const {
  std::vector<std::uint8_t> bytes = encode(block);
  if (bytes.size() % 2) bytes.push_back(0);
  return bytes;
}

void ParameterFieldList::commit() {
  for (auto& f : fields_) {
    if (f->descriptor().kind & (kind::kChart | kind::kGrid)) continue;
    f->commit();
  }
}

std::vector<int> ParameterFieldList::changed_fields() const {
  std::vector<int> out;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (fields_[i]->is_changed()) out.push_back(static_cast<int>(i));
  }
  return out;
}

void ParameterFieldList::normalise() {
  for (auto& f : fields_) {
    if (f->descriptor().kind & kind::kChart) continue;
    if (format_kind(f->format()) == 'f' || format_has_auto(f->format())) f->set_number(f->number());
  }
}

int ParameterFieldList::set_language(int language) {
  if (language < 1 || language > TextTable::language_count()) return -1;
  language_ = language;
  for (auto& f : fields_) f->set_language(language);
  return 0;
}

void ParameterFieldList::add_observer(FieldObserver* observer) {
  if (observer == nullptr || std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) return;
  observers_.push_back(observer);
  for (auto& f : fields_) f->add_observer(observer);
}

void ParameterFieldList::remove_observer(FieldObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
  for (auto& f : fields_) f->remove_observer(observer);
}

}  // namespace orvadw
