#include "params/differences_sheet.h"

#include <cstdlib>

#include "base/text_table.h"

namespace orvadw {

namespace {
constexpr int kUnitNumberText = 236;
constexpr int kSignatureText = 242;
// Column headers: parameter, reference, actual, unit.
constexpr int kHeaderTexts[DifferencesSheet::kColumns] = {160, 238, 2, 234};
}  // namespace

DifferencesSheet::DifferencesSheet(ParameterFieldList& fields) : fields_(fields) {
  ParameterField* field = fields_.field(kGridControl);
  grid_ = field != nullptr ? field->grid() : nullptr;
  if (grid_ == nullptr) std::abort();  // the differences table always has its grid
  const int language = fields_.language();
  set_text(kUnitNumberLine, text_of(kUnitNumberText, language));
  set_text(kSignatureLine, text_of(kSignatureText, language));
  grid_->set_dimensions(1, kColumns);
  grid_->set_fixed(1, 0);
  grid_->set_flat(true);
  std::vector<std::string> header;
  for (int c = 0; c < kColumns; ++c) {
    grid_->set_column_alignment(c, CellAlignment::kLeft);
    header.push_back(text_of(kHeaderTexts[c], language));
  }
  grid_->set_row(0, header);
}

void DifferencesSheet::set_text(int control_id, const std::string& text) {
  if (ParameterField* field = fields_.field(control_id)) field->set_text(text, ChangeOrigin::kProgram);
}

void DifferencesSheet::fill(const FieldComparison& comparison, const std::string& reference_name,
                            const std::string& actual_name) {
  set_text(kReferenceName, reference_name);
  set_text(kActualName, actual_name);
  grid_->remove_rows(1, grid_->rows() - 1);
  for (const FieldDifference& d : comparison.differences) {
    grid_->append_row({d.label, d.reference_value, d.actual_value, d.unit});
  }
}

}  // namespace orvadw
