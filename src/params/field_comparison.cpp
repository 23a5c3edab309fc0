#include "params/field_comparison.h"

#include "base/text_table.h"
#include "params/field_text_form.h"

namespace orvadw {

namespace {

constexpr int kSerialLinkText = 106;

bool blanked(const ParameterField& field) {
  return (field.presentation() & (presentation::kHiddenValue | presentation::kHidden)) != 0;
}

}  // namespace

FieldComparison compare_field_lists(const ParameterFieldList& reference,
                                    const ParameterFieldList& actual) {
  FieldComparison out;
  if (reference.size() != actual.size()) return out;
  out.comparable = true;
  for (std::size_t i = 0; i < reference.size(); ++i) {
    const ParameterField& ref = reference.at(i);
    const ParameterField& act = actual.at(i);
    if (blanked(ref) || blanked(act)) continue;
    // A list that holds one text twice (two models read alike in English)
    // still tells its items apart.
    const std::string ref_text = FieldTextForm::value_text(ref);
    const std::string act_text = FieldTextForm::value_text(act);
    if (ref_text == act_text) continue;
    out.differences.push_back(
        {static_cast<int>(i), ref.label_text(), ref_text, act_text, ref.unit_text()});
  }
  return out;
}

std::string comparison_source_name(const std::string& file_path, int language) {
  return file_path.empty() ? text_of(kSerialLinkText, language) : file_path;
}

}  // namespace orvadw
