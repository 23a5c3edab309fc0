#pragma once
// What a window hands to the spreadsheet export: its column titles, the
// records that make one sample and how they are applied, one row of cells
// for the sample just applied, and the transfer text for the spreadsheet's
// macro. Each export works on a field list of its own, made from the
// window's table, so that exporting never disturbs what a window shows and
// the command line runs the same code.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.h"
#include "params/parameter_field_list.h"
#include "params/window_table.h"

namespace orvadw {

// One cell of an exported row: the text the PRN file holds, and the value a
// workbook holds (a number, or a spreadsheet day number for dates and times).
struct ExportCell {
  enum class Kind { kText, kNumber, kDate, kTime, kDateTime };
  Kind kind = Kind::kText;
  std::string text;
  double value = 0;
  int decimals = 0;  // numbers: the decimals the window shows

  static ExportCell text_cell(std::string text) { return {Kind::kText, std::move(text), 0, 0}; }
};

// The cells of a date and time in the regional format: date, time, and (when
// with_number) the spreadsheet day number printed with "%f" whose "." becomes
// the decimal separator.
ExportCell export_date_cell(const DateTime& time, const RegionalSettings& regional);
ExportCell export_time_cell(const DateTime& time, const RegionalSettings& regional);
ExportCell export_day_number_cell(const DateTime& time, const RegionalSettings& regional);
// A field's value text as a number cell; with_separator replaces "." by the
// regional decimal separator in the text.
ExportCell export_number_cell(const ParameterField& field, const RegionalSettings* with_separator);

// "TYPE", "F_IN" and "F_OUT" lines of the transfer file.
std::string transfer_header(std::string_view kind_extension, const std::string& text_path,
                            const std::string& target_path);

class ExportLayout {
 public:
  virtual ~ExportLayout();

  // The layout of a file kind ("mes" or "log"); nullptr for any other.
  static std::unique_ptr<ExportLayout> for_kind(std::string_view kind_extension, int language);

  const std::string& kind_extension() const { return kind_extension_; }
  int language() const { return fields_.language(); }
  // Records per sample (the window's file sequence).
  int groups() const { return static_cast<int>(window_.file_sequence.size()); }
  // The block a group's records hold; -1 outside the groups.
  int block(int group) const;
  const std::string& window_key() const { return window_.key; }
  // Applies one record to its group: -1 when it is not exactly the group's
  // register image or cannot be decoded.
  int apply(int group, std::span<const std::uint8_t> record);

  // Column titles, the first being the sample number's.
  virtual std::vector<std::string> header() const = 0;
  // The cells after the sample number, for the sample last applied.
  virtual std::vector<ExportCell> row(const RegionalSettings& regional) const = 0;
  // The transfer file's text.
  virtual std::string transfer_text(const std::string& text_path,
                                    const std::string& target_path) const = 0;

  const ParameterFieldList& fields() const { return fields_; }

 protected:
  ExportLayout(WindowTable window, std::string kind_extension, int language);
  const ParameterField& field(int control_id) const;

 private:
  WindowTable window_;
  std::string kind_extension_;
  ParameterFieldList fields_;
};

}  // namespace orvadw
