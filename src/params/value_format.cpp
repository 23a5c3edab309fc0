#include "params/value_format.h"

#include <cctype>
#include <cmath>
#include <limits>

#include "base/c_locale.h"

namespace orvadw {

char format_kind(std::string_view format) {
  if (format.empty()) return 0;
  return static_cast<char>(std::tolower(static_cast<unsigned char>(format.back())));
}

bool format_has_auto(std::string_view format) { return format.find("auto") != std::string_view::npos; }

int decimal_count(std::string_view format) {
  std::size_t dot = format.find('.');
  if (dot == std::string_view::npos) return 0;
  int count = 0;
  for (std::size_t i = dot + 1; i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])); ++i) {
    count = count * 10 + (format[i] - '0');
    if (count > 15) return 15;
  }
  return count;
}

double decimal_scale(std::string_view format) { return std::pow(10.0, decimal_count(format)); }

bool is_float_format(std::string_view format) {
  int conversions = 0;
  std::size_t i = 0;
  auto digits = [&](int most) {
    int n = 0;
    while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i]))) {
      ++i;
      ++n;
    }
    return n <= most;
  };
  while (i < format.size()) {
    if (format[i] != '%') {
      ++i;
      continue;
    }
    ++i;
    if (i < format.size() && format[i] == '%') {
      ++i;
      continue;
    }
    while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos) ++i;
    if (!digits(2)) return false;
    if (i < format.size() && format[i] == '.') {
      ++i;
      if (!digits(2)) return false;
    }
    if (i < format.size() && format[i] == 'l') ++i;
    if (i >= format.size() || std::string_view("fFeEgG").find(format[i]) == std::string_view::npos) {
      return false;
    }
    ++i;
    ++conversions;
  }
  return conversions == 1;
}

std::string format_float(std::string_view format, double value) {
  if (is_float_format(format)) return c_format_double(format, value);
  return c_format("%f", value);
}

int auto_digits(std::string_view format) {
  std::size_t end = format.size();
  std::size_t start = end;
  while (start > 0 && std::isdigit(static_cast<unsigned char>(format[start - 1])) && end - start < 2) --start;
  if (start == end) return 0;
  return static_cast<int>(c_strtoll(format.substr(start, end - start)));
}

std::string format_auto(double value, int significant_digits) {
  if (!std::isfinite(value)) return c_format("%f", value);
  std::string plain = c_format("%f", value);
  std::size_t dot = plain.find('.');
  int integer_digits = static_cast<int>(dot == std::string::npos ? plain.size() : dot);
  if (value < 0 || plain.front() == '-') --integer_digits;
  int decimals = significant_digits - integer_digits;
  // std::round rounds half away from zero. Multiplying by a power of ten
  // (never dividing by a fraction of one) keeps 1235 x 100 exact.
  double rounded = decimals >= 0 ? std::round(value * std::pow(10.0, decimals)) / std::pow(10.0, decimals)
                                 : std::round(value / std::pow(10.0, -decimals)) * std::pow(10.0, -decimals);
  if (decimals >= 1) return c_format("%.*f", decimals, rounded);
  return c_format("%.f", rounded);
}

double read_number(std::string_view text) {
  double v = c_strtod(text);
  return std::isnan(v) ? 0.0 : v;
}

double read_hex(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) i += 2;
  double value = 0;
  bool any = false;
  for (; i < text.size(); ++i) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    int digit = c >= '0' && c <= '9' ? c - '0' : (c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1);
    if (digit < 0) break;
    value = value * 16 + digit;
    any = true;
  }
  return any ? value : 0.0;
}

double read_hex_or_number(std::string_view text) {
  const bool hex = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  return hex ? read_hex(text) : read_number(text);
}

std::string hex_text(double value, int min_digits) {
  if (min_digits < 0) min_digits = 0;
  if (min_digits > 16) min_digits = 16;
  auto v = static_cast<unsigned long long>(saturate(value, 0, 0xFFFFFFFFLL));
  return "0x" + c_format("%0*llX", min_digits, v);
}

std::string leading_characters(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t taken = 0; taken < count && end < text.size(); ++taken) {
    ++end;
    // Continuation bytes belong to the character just started.
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  }
  return std::string(text.substr(0, end));
}

long long text_as_integer(std::string_view text) {
  std::string digits;
  digits.reserve(text.size());
  for (char c : text) {
    if (c != '.') digits.push_back(c);
  }
  // c_strtoll saturates at the long long range on overflow.
  std::size_t used = 0;
  long long value = c_strtoll(digits, 10, &used);
  if (used > 0) return value;
  // "inf" from an unlimited field: the far end, never a wrapped or zero value.
  double v = c_strtod(digits);
  if (std::isinf(v)) return v > 0 ? std::numeric_limits<long long>::max() : std::numeric_limits<long long>::min();
  return 0;
}

long long saturate(double value, long long lowest, long long highest) {
  if (std::isnan(value)) return 0 < lowest ? lowest : (0 > highest ? highest : 0);
  if (value <= static_cast<double>(lowest)) return lowest;
  if (value >= static_cast<double>(highest)) return highest;
  return static_cast<long long>(value);
}

long long saturate(long long value, long long lowest, long long highest) {
  return value < lowest ? lowest : (value > highest ? highest : value);
}

}  // namespace orvadw
