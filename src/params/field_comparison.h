#pragma once
// The comparison of two field lists of the same window kind: the fields
// whose shown texts differ, in table order. A field that is hidden or has no
// control on either side counts as empty on both, so values the window's
// rules hide never show up as differences. Texts are those the fields show,
// marked " #2" where a list shows two items alike (see FieldTextForm), so
// that two different models never pass for one. The differences dialog, the
// printed list and `orvadw-cli diff` all use this one function.
#include <string>
#include <vector>

#include "params/parameter_field_list.h"

namespace orvadw {

struct FieldDifference {
  int position = -1;            // the field's place in both lists
  std::string label;            // as the reference list shows it
  std::string reference_value;  // the reference list's text
  std::string actual_value;     // the actual list's text
  std::string unit;
};

struct FieldComparison {
  // False when the lists are not of one kind (different lengths): nothing
  // was compared.
  bool comparable = false;
  std::vector<FieldDifference> differences;
};

// reference: the values of a saved file; actual: the values on screen (read
// from the instrument, loaded or edited).
FieldComparison compare_field_lists(const ParameterFieldList& reference,
                                    const ParameterFieldList& actual);

// How a comparison names one side: the file its values came from, or
// "Serial Link" (text 106) for values that came from no file.
std::string comparison_source_name(const std::string& file_path, int language);

}  // namespace orvadw
