#pragma once
// A value text in the one-line-per-value text form: control characters
// (which an instrument's text registers may hold) would break the line, so
// they are written "\xNN", and a backslash is written "\\". Every other
// character stays as it is, so ordinary values read exactly as shown.
#include <string>
#include <string_view>

namespace orvadw {

std::string escape_form_value(std::string_view value);

// The reverse. A backslash that starts neither "\\" nor "\x" with two hex
// digits is taken as it stands, as a person typing the form would mean it.
std::string unescape_form_value(std::string_view text);

}  // namespace orvadw
