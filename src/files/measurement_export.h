#pragma once
// The measurement window's export: thirteen columns (number, the instrument
// clock as date, time and spreadsheet day number, speed of sound, transit
// time, gain, signal quality, the last sphere as date, time and day number,
// the sphere count and the fault state), the decimal separator of the
// user's region on the day numbers and the measured values, and the transfer
// text that tells a macro which column holds which quantity.
#include <string>
#include <vector>

#include "files/export_layout.h"

namespace orvadw {

// The column titles in a language.
std::vector<std::string> measurement_export_header(int language);
// The row of a measurement field list (a window's, or an export's own).
std::vector<ExportCell> measurement_export_row(const ParameterFieldList& fields,
                                               const RegionalSettings& regional);
// TYPE, F_IN, F_OUT, then one "C_..." key and column letter a line.
std::string measurement_transfer_text(const std::string& text_path, const std::string& target_path);

class MeasurementExport : public ExportLayout {
 public:
  explicit MeasurementExport(int language);

  std::vector<std::string> header() const override;
  std::vector<ExportCell> row(const RegionalSettings& regional) const override;
  std::string transfer_text(const std::string& text_path,
                            const std::string& target_path) const override;
};

}  // namespace orvadw
