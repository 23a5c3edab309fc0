#include "files/export_layout.h"

#include <cstdlib>

#include "base/c_locale.h"
#include "files/logger_export.h"
#include "files/measurement_export.h"
#include "params/value_format.h"

namespace orvadw {

namespace {
std::string with_decimal_separator(std::string text, const RegionalSettings& regional) {
  if (regional.decimal_separator == ".") return text;
  std::string out;
  out.reserve(text.size() + 2);
  for (char c : text) {
    if (c == '.') {
      out += regional.decimal_separator;
    } else {
      out += c;
    }
  }
  return out;
}
}  // namespace

ExportCell export_date_cell(const DateTime& time, const RegionalSettings& regional) {
  return {ExportCell::Kind::kDate, time.format_date(regional),
          static_cast<double>(time.serial_day()), 0};
}

ExportCell export_time_cell(const DateTime& time, const RegionalSettings& regional) {
  return {ExportCell::Kind::kTime, time.format_time(regional), time.day_fraction(), 0};
}

ExportCell export_day_number_cell(const DateTime& time, const RegionalSettings& regional) {
  const double number = time.serial_day() + time.day_fraction();
  return {ExportCell::Kind::kDateTime, with_decimal_separator(c_format("%f", number), regional),
          number, 0};
}

ExportCell export_number_cell(const ParameterField& field, const RegionalSettings* with_separator) {
  std::string text = field.value_text();
  const double value = read_number(text);
  if (with_separator != nullptr) text = with_decimal_separator(std::move(text), *with_separator);
  return {ExportCell::Kind::kNumber, std::move(text), value, decimal_count(field.format())};
}

std::string transfer_header(std::string_view kind_extension, const std::string& text_path,
                            const std::string& target_path) {
  return "TYPE\t" + std::string(kind_extension) + "\nF_IN\t" + text_path + "\nF_OUT\t" +
         target_path + "\n";
}

ExportLayout::ExportLayout(WindowTable window, std::string kind_extension, int language)
    : window_(std::move(window)),
      kind_extension_(std::move(kind_extension)),
      fields_(make_field_list(window_, language)) {}

ExportLayout::~ExportLayout() = default;

std::unique_ptr<ExportLayout> ExportLayout::for_kind(std::string_view kind_extension,
                                                     int language) {
  if (kind_extension == "mes") return std::make_unique<MeasurementExport>(language);
  if (kind_extension == "log") return std::make_unique<LoggerExport>(language);
  return nullptr;
}

const ParameterField& ExportLayout::field(int control_id) const {
  const ParameterField* f = fields_.field(control_id);
  // The tables are the program's own: a missing row is a programming error.
  if (f == nullptr) std::abort();
  return *f;
}

int ExportLayout::block(int group) const {
  if (group < 0 || group >= groups()) return -1;
  return window_.file_sequence[static_cast<std::size_t>(group)];
}

int ExportLayout::apply(int group, std::span<const std::uint8_t> record) {
  const int block = this->block(group);
  if (block < 0) return -1;
  if (record.size() != 2 * static_cast<std::size_t>(fields_.block_words(block))) return -1;
  return fields_.decode(block, record) == 0 ? 0 : -1;
}

}  // namespace orvadw
