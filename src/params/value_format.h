#pragma once
// Number formatting and reading for field values, and the cut of their texts
// to a character count. Everything here works in the C locale, so that a
// value is written "27.9" (and sent as 279) whatever locale the user runs
// under. Formats come from descriptor tables or from callers; anything that
// is not one plain floating conversion is never handed to printf.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvadw {

// Lower-case last character of a format, 0 for an empty one.
char format_kind(std::string_view format);
bool format_has_auto(std::string_view format);
// The digits after the "." of the format ("%0.1f" 1, "%0.f" 0, no "." 0),
// at most 15.
int decimal_count(std::string_view format);
// 10 to the power of decimal_count.
double decimal_scale(std::string_view format);

// True when format holds exactly one floating conversion (flags, width and
// precision of at most two digits each, then f/F/e/E/g/G) and otherwise only
// literal text or "%%".
bool is_float_format(std::string_view format);
// The value printed with format when it is a float format, else with "%f".
std::string format_float(std::string_view format, double value);

// Significant-digit formatting of "auto" formats with N digits (see
// ParameterField::set_number): N = 4 gives 12.35 for 12.3456 and 123500 for
// 123456.
std::string format_auto(double value, int significant_digits);
// The digit count at the end of an "auto" format; 0 when it ends otherwise.
int auto_digits(std::string_view format);

// The leading number of text in the C locale; unreadable text (and "nan") is 0.
double read_number(std::string_view text);
// Hexadecimal text with or without a leading "0x"; unreadable text is 0.
double read_hex(std::string_view text);
// How a hexadecimal field reads its text: starting with "0x" (or "0X"), the
// rest as hexadecimal; otherwise as a number, as read_number.
double read_hex_or_number(std::string_view text);
// "0x" and the upper-case hexadecimal digits of the value's integer part,
// zero-padded to min_digits (at most 16). Values outside 0..0xFFFFFFFF are
// pulled to that range, NaN is 0.
std::string hex_text(double value, int min_digits = 0);

// The first count characters of a UTF-8 text (fewer when it is shorter);
// never half of a character.
std::string leading_characters(std::string_view text, std::size_t count);

// The text with every "." removed, read as a decimal integer; unreadable
// text is 0 and out-of-range text saturates.
long long text_as_integer(std::string_view text);

// Conversion of a double to an integer range without undefined behaviour:
// NaN is 0, values beyond the range are pulled to it, the rest truncated.
long long saturate(double value, long long lowest, long long highest);
long long saturate(long long value, long long lowest, long long highest);

}  // namespace orvadw
