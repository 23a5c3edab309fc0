#include "files/logger_export.h"

#include <cstdlib>

#include "files/logger_table.h"
#include "params/value_codec.h"

namespace orvadw {

namespace {
const ParameterField& need(const ParameterFieldList& fields, int control_id) {
  const ParameterField* f = fields.field(control_id);
  if (f == nullptr) std::abort();  // not a logger field list
  return *f;
}
}  // namespace

std::vector<std::string> logger_export_header(int language) {
  return logger_header(language);
}

std::vector<ExportCell> logger_export_row(const ParameterFieldList& fields,
                                          const RegionalSettings& regional) {
  const ParameterField& date = need(fields, LoggerTable::kDateControl);
  const DateTime when = ValueCodec::date_from_raw(date.descriptor().value_type, date.raw_date());
  return {export_date_cell(when, regional), export_time_cell(when, regional),
          export_number_cell(need(fields, LoggerTable::kObturationControl), nullptr)};
}

std::string logger_transfer_text(const std::string& text_path, const std::string& target_path) {
  return transfer_header("log", text_path, target_path);
}

LoggerExport::LoggerExport(int language) : ExportLayout(logger_window(language), "log", language) {}

std::vector<std::string> LoggerExport::header() const {
  return logger_export_header(language());
}

std::vector<ExportCell> LoggerExport::row(const RegionalSettings& regional) const {
  return logger_export_row(fields(), regional);
}

std::string LoggerExport::transfer_text(const std::string& text_path,
                                        const std::string& target_path) const {
  return logger_transfer_text(text_path, target_path);
}

}  // namespace orvadw
