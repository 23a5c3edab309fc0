#pragma once
// The logger window's export: number, date, time and obturation time of each
// entry of a logger file, and the three-line transfer text.
#include <string>
#include <vector>

#include "files/export_layout.h"

namespace orvadw {

std::vector<std::string> logger_export_header(int language);
// The row of a logger field list holding one decoded entry.
std::vector<ExportCell> logger_export_row(const ParameterFieldList& fields,
                                          const RegionalSettings& regional);
std::string logger_transfer_text(const std::string& text_path, const std::string& target_path);

class LoggerExport : public ExportLayout {
 public:
  explicit LoggerExport(int language);

  std::vector<std::string> header() const override;
  std::vector<ExportCell> row(const RegionalSettings& regional) const override;
  std::string transfer_text(const std::string& text_path,
                            const std::string& target_path) const override;
};

}  // namespace orvadw
