#include "files/measurement_export.h"

#include <array>
#include <cstdlib>

#include "base/text_table.h"
#include "params/measurement_session.h"
#include "params/value_codec.h"

namespace orvadw {

namespace {

constexpr int kNumberText = 153;
constexpr int kDateText = 51;
constexpr int kTimeText = 205;
constexpr int kDayNumberText = 52;
constexpr int kSpeedText = 11;
constexpr int kTransitText = 202;
constexpr int kGainText = 95;
constexpr int kQualityText = 103;
constexpr int kLastSphereText = 57;
constexpr int kSphereDayNumberText = 53;
constexpr int kCountText = 41;
constexpr int kFaultText = 55;

constexpr int kTransitControl = 1229;
constexpr int kGainControl = 1104;
constexpr int kQualityControl = 1114;

// The macro's column keys, in column order from A.
constexpr std::array<const char*, 13> kColumnKeys = {
    "C_Num",   "C_Date", "C_Time",          "C_DateTime",      "C_Celerite",          "C_Temps",
    "C_Gain",  "C_IQ",   "C_DateDerSphere", "C_TimeDerSphere", "C_DateTimeDerSphere", "C_Compteur",
    "C_Defaut"};

const ParameterField& need(const ParameterFieldList& fields, int control_id) {
  const ParameterField* f = fields.field(control_id);
  if (f == nullptr) std::abort();  // not a measurement field list
  return *f;
}

DateTime date_of(const ParameterField& field) {
  return ValueCodec::date_from_raw(field.descriptor().value_type, field.raw_date());
}

}  // namespace

std::vector<std::string> measurement_export_header(int language) {
  auto t = [language](int id) { return text_of(id, language); };
  return {t(kNumberText),
          t(kDateText),
          t(kTimeText),
          t(kDayNumberText),
          t(kSpeedText),
          t(kTransitText),
          t(kGainText),
          t(kQualityText),
          t(kDateText) + " " + t(kLastSphereText),
          t(kTimeText) + " " + t(kLastSphereText),
          t(kSphereDayNumberText),
          t(kCountText),
          t(kFaultText)};
}

std::vector<ExportCell> measurement_export_row(const ParameterFieldList& fields,
                                               const RegionalSettings& regional) {
  using S = MeasurementSession;
  const DateTime clock = date_of(need(fields, S::kClockControl));
  const DateTime sphere = date_of(need(fields, S::kSphereDateControl));
  return {
      export_date_cell(clock, regional),
      export_time_cell(clock, regional),
      export_day_number_cell(clock, regional),
      export_number_cell(need(fields, S::kSpeedControl), &regional),
      export_number_cell(need(fields, kTransitControl), &regional),
      export_number_cell(need(fields, kGainControl), &regional),
      export_number_cell(need(fields, kQualityControl), &regional),
      export_date_cell(sphere, regional),
      export_time_cell(sphere, regional),
      export_day_number_cell(sphere, regional),
      export_number_cell(need(fields, S::kSphereCountControl), nullptr),
      ExportCell::text_cell(need(fields, S::kFaultControl).value_text()),
  };
}

std::string measurement_transfer_text(const std::string& text_path,
                                      const std::string& target_path) {
  std::string text = transfer_header("mes", text_path, target_path);
  char column = 'A';
  for (const char* key : kColumnKeys) {
    text += key;
    text += '\t';
    text += column++;
    text += '\n';
  }
  return text;
}

MeasurementExport::MeasurementExport(int language)
    : ExportLayout(measurement_window(language), "mes", language) {}

std::vector<std::string> MeasurementExport::header() const {
  return measurement_export_header(language());
}

std::vector<ExportCell> MeasurementExport::row(const RegionalSettings& regional) const {
  return measurement_export_row(fields(), regional);
}

std::string MeasurementExport::transfer_text(const std::string& text_path,
                                             const std::string& target_path) const {
  return measurement_transfer_text(text_path, target_path);
}

}  // namespace orvadw
