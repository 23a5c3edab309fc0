#include "files/xlsx_export_writer.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>

namespace orvadw {

namespace {
constexpr int kMaxDecimals = 9;
// Characters: a date and time in one cell fits.
constexpr double kColumnWidth = 20;

// A separator a number format takes literally; any other is quoted.
std::string literal(const std::string& separator) {
  if (separator == "/" || separator == "-" || separator == "." || separator == " " ||
      separator == ":") {
    return separator;
  }
  std::string quoted = "\"";
  for (char c : separator) {
    if (c != '"') quoted += c;
  }
  return quoted + "\"";
}
}  // namespace

XlsxExportWriter::XlsxExportWriter(RegionalSettings regional) : regional_(std::move(regional)) {}

XlsxExportWriter::~XlsxExportWriter() {
  // An export abandoned half way still leaves a readable workbook.
  if (workbook_ != nullptr) workbook_close(workbook_);
}

std::string XlsxExportWriter::date_format(const RegionalSettings& regional) {
  const std::string s = literal(regional.date_separator);
  switch (regional.date_order) {
    case 0:
      return "mm" + s + "dd" + s + "yyyy";
    case 2:
      return "yyyy" + s + "mm" + s + "dd";
    default:
      return "dd" + s + "mm" + s + "yyyy";
  }
}

std::string XlsxExportWriter::time_format(const RegionalSettings& regional) {
  const std::string s = literal(regional.time_separator);
  std::string format = "hh" + s + "mm" + s + "ss";
  if (regional.clock_kind == 0) format += " AM/PM";
  return format;
}

int XlsxExportWriter::check(int lxw_result) {
  if (lxw_result == LXW_NO_ERROR) return 0;
  error_number_ = errno != 0 ? errno : EIO;
  return -1;
}

int XlsxExportWriter::open(const std::string& path) {
  error_number_ = 0;
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.use_zip64 = LXW_TRUE;
  workbook_ = workbook_new_opt(path.c_str(), &options);
  if (workbook_ == nullptr) {
    error_number_ = errno != 0 ? errno : ENOMEM;
    return -1;
  }
  sheet_ = workbook_add_worksheet(workbook_, nullptr);
  bold_ = workbook_add_format(workbook_);
  format_set_bold(bold_);
  date_ = workbook_add_format(workbook_);
  format_set_num_format(date_, date_format(regional_).c_str());
  time_ = workbook_add_format(workbook_);
  format_set_num_format(time_, time_format(regional_).c_str());
  date_time_ = workbook_add_format(workbook_);
  format_set_num_format(date_time_,
                        (date_format(regional_) + " " + time_format(regional_)).c_str());
  if (sheet_ == nullptr || bold_ == nullptr || date_ == nullptr || time_ == nullptr ||
      date_time_ == nullptr) {
    error_number_ = ENOMEM;
    return -1;
  }
  // The title row stays in view.
  worksheet_freeze_panes(sheet_, 1, 0);
  return 0;
}

lxw_format* XlsxExportWriter::number_format(int decimals) {
  decimals = std::clamp(decimals, 0, kMaxDecimals);
  auto it = numbers_.find(decimals);
  if (it != numbers_.end()) return it->second;
  lxw_format* format = workbook_add_format(workbook_);
  const std::string pattern =
      decimals == 0 ? "0" : "0." + std::string(static_cast<std::size_t>(decimals), '0');
  format_set_num_format(format, pattern.c_str());
  numbers_[decimals] = format;
  return format;
}

lxw_format* XlsxExportWriter::format_for(const ExportCell& cell) {
  switch (cell.kind) {
    case ExportCell::Kind::kDate:
      return date_;
    case ExportCell::Kind::kTime:
      return time_;
    case ExportCell::Kind::kDateTime:
      return date_time_;
    case ExportCell::Kind::kNumber:
      return number_format(cell.decimals);
    case ExportCell::Kind::kText:
      break;
  }
  return nullptr;
}

int XlsxExportWriter::write_header(const std::vector<std::string>& titles) {
  if (sheet_ == nullptr) return -1;
  for (std::size_t c = 0; c < titles.size(); ++c) {
    if (check(worksheet_write_string(sheet_, 0, static_cast<lxw_col_t>(c), titles[c].c_str(),
                                     bold_)) != 0) {
      return -1;
    }
    const double width =
        std::max<double>(kColumnWidth, static_cast<double>(titles[c].size()) + 2.0);
    worksheet_set_column(sheet_, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), width,
                         nullptr);
  }
  row_ = 1;
  return 0;
}

int XlsxExportWriter::write_row(int sample_number, const std::vector<ExportCell>& cells) {
  if (sheet_ == nullptr) return -1;
  if (row_ >= kMaxRows) {
    error_number_ = EFBIG;
    return -1;
  }
  const auto row = static_cast<lxw_row_t>(row_);
  if (check(worksheet_write_number(sheet_, row, 0, sample_number, nullptr)) != 0) return -1;
  lxw_col_t column = 1;
  for (const ExportCell& cell : cells) {
    const lxw_error rc =
        cell.kind == ExportCell::Kind::kText
            ? worksheet_write_string(sheet_, row, column, cell.text.c_str(), nullptr)
            : worksheet_write_number(sheet_, row, column, cell.value, format_for(cell));
    if (check(rc) != 0) return -1;
    ++column;
  }
  ++row_;
  return 0;
}

int XlsxExportWriter::close() {
  if (workbook_ == nullptr) return 0;
  errno = 0;
  const lxw_error rc = workbook_close(workbook_);
  workbook_ = nullptr;
  sheet_ = nullptr;
  return check(rc);
}

}  // namespace orvadw
