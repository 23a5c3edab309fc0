#pragma once
// A readable text form of one register block, one line per value:
//   key = value text[ unit]
// The key is the label in the list's language, or "c<control id>" for a
// field without a label; a key that occurs again in the same table gets
// " #2", " #3" in table order. A choice whose list holds the same text more
// than once (two models read alike in English) shows the later ones with
// " #2", " #3" in list order, so that every value reads back as itself. A
// value's control characters and backslashes are escaped
// (form_value_escape.h) so that each value keeps to its line.
// Reading the form back sets the fields through the same setters as a
// person typing, so limits apply as they would there.
#include <string>
#include <vector>

#include "params/parameter_field_list.h"

namespace orvadw {

class FieldTextForm {
 public:
  // A line starting with it is a comment (the checksum show prints last).
  static constexpr const char* kCommentMark = "# ";

  // Keys of every field of the list, by position.
  static std::vector<std::string> keys(const ParameterFieldList& list);

  // The lines of the block's fields, in table order.
  static std::vector<std::string> lines(const ParameterFieldList& list, int block);

  struct Error {
    int line_number = 0;  // 1-based
    std::string line;
    std::string reason;
  };
  // Applies the lines to the block's fields. Blank lines and lines starting
  // with "#" are skipped; a line whose key names no field of the block, or
  // whose value a choice list does not hold, stops with -1 and the error
  // filled in (fields set by earlier lines keep their new values).
  static int apply(ParameterFieldList& list, int block, const std::vector<std::string>& text, Error& error);

  // The value of one field as the form shows it (without the unit).
  static std::string value_text(const ParameterField& field);
  // Sets one field from a value text as the form shows it (unit removed).
  static int set_from_text(ParameterField& field, const std::string& value);
};

}  // namespace orvadw
