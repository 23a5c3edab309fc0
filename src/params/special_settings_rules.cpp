#include "params/special_settings_rules.h"

#include "params/value_format.h"

namespace orvadw::special {

namespace {

// The OEM models (rows 15 to 24) and arrangements (rows 26 to 28).
constexpr int kOemControls[] = {1006, 1008, 1010, 1012, 1014, 1016, 1018,
                                1020, 1022, 1004, 1243, 1245, 1247};

double number(const ParameterFieldList& fields, int control) {
  const ParameterField* f = fields.field(control);
  return f != nullptr ? f->number() : 0;
}

void set_serial(ParameterFieldList& fields, int target, int week, int year, int serial) {
  ParameterField* f = fields.field(target);
  if (f == nullptr) return;
  const std::string text =
      serial_text(number(fields, week), number(fields, year), number(fields, serial));
  if (f->value_text() != text) f->set_text(text);
  f->set_reference_text(text);
}

}  // namespace

std::string serial_text(double week, double year, double number) {
  return format_float("%02.f", week) + "/" + format_float("%02.f", year) + "/" +
         format_float("%05.f", number);
}

void apply_rules(ParameterFieldList& fields) {
  set_serial(fields, kSerialText, kSerialWeek, kSerialYear, kSerialNumber);
  set_serial(fields, kBoardSerialText, kBoardWeek, kBoardYear, kBoardNumber);

  const bool oem = fields.integer(kOem) == 1;
  fields.show_on_page(kOemFrame, oem);
  fields.show_on_page(kArrangementFrame, oem);
  for (int control : kOemControls) fields.show_on_page(control, oem);
  fields.show_on_page(kModel, !oem);
  fields.show_on_page(kModelFrame, !oem);
  fields.show_on_page(kMaxChords, !oem);
}

}  // namespace orvadw::special
