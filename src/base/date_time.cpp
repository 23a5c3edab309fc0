#include "base/date_time.h"

#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <ctime>

#include "base/ascii_case.h"
#include "base/c_locale.h"

namespace orvadw {

namespace {

// Expands the composite conversions that locales use in D_FMT and T_FMT.
std::string expand(std::string_view format) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 >= format.size()) {
      out += format[i];
      continue;
    }
    // Flags and widths as in "%-d" or "%_m" are not part of the field name.
    std::size_t j = i + 1;
    while (j < format.size() && (format[j] == '-' || format[j] == '_' || format[j] == '0' ||
                                 format[j] == '^' || format[j] == '#' || format[j] == 'E' ||
                                 format[j] == 'O')) {
      ++j;
    }
    if (j >= format.size()) break;
    char c = format[j];
    switch (c) {
      case 'D': out += "%m/%d/%y"; break;
      case 'F': out += "%Y-%m-%d"; break;
      case 'T': out += "%H:%M:%S"; break;
      case 'r': out += "%I:%M:%S %p"; break;
      case 'R': out += "%H:%M"; break;
      default: out += '%'; out += c; break;
    }
    i = j;
  }
  return out;
}

// The conversions of an expanded format, in order, and the literal text
// between the first two of them.
struct FormatShape {
  std::string fields;
  std::string first_separator;
};

FormatShape shape_of(const std::string& format) {
  FormatShape shape;
  std::string between;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      char c = format[i + 1];
      ++i;
      if (c == '%') {
        between += '%';
        continue;
      }
      if (shape.fields.size() == 1) shape.first_separator = between;
      shape.fields += c;
      between.clear();
    } else {
      between += format[i];
    }
  }
  return shape;
}

std::string langinfo(nl_item item) {
  const char* v = nl_langinfo(item);
  return v == nullptr ? std::string() : std::string(v);
}

std::string field(std::string_view text, std::size_t pos, std::size_t count) {
  if (pos >= text.size()) return {};
  return std::string(text.substr(pos, count));
}

// atoi on a fixed slice of the text: unreadable text counts as 0.
int number_at(std::string_view text, std::size_t pos, std::size_t count) {
  long long v = c_strtoll(field(text, pos, count));
  return static_cast<int>(v);
}

std::string_view trim_right(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
    s.remove_suffix(1);
  }
  return s;
}

std::int64_t local_seconds(int year, int month, int day, int hour, int minute, int second, bool* valid) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  errno = 0;
  std::time_t t = std::mktime(&tm);
  bool ok = !(t == static_cast<std::time_t>(-1) && errno != 0);
  // Normalising must leave every field as given: 13th months, 31st of
  // April and hours skipped by a daylight-saving change are refused.
  ok = ok && tm.tm_year == year - 1900 && tm.tm_mon == month - 1 && tm.tm_mday == day &&
       tm.tm_hour == hour && tm.tm_min == minute && tm.tm_sec == second;
  if (valid != nullptr) *valid = ok;
  return static_cast<std::int64_t>(t);
}

std::int64_t epoch_1980() { return local_seconds(1980, 1, 1, 0, 0, 0, nullptr); }

std::tm fields_of(std::int64_t seconds) {
  std::tm tm{};
  std::time_t t = static_cast<std::time_t>(seconds);
  if (localtime_r(&t, &tm) == nullptr) tm = std::tm{};
  return tm;
}

}  // namespace

RegionalSettings RegionalSettings::current() {
  RegionalSettings r;
  FormatShape date = shape_of(expand(langinfo(D_FMT)));
  auto pos = [&](const char* names) { return date.fields.find_first_of(names); };
  std::size_t day = pos("de");
  std::size_t month = pos("mbBh");
  std::size_t year = pos("YyCG");
  if (year != std::string::npos && (day == std::string::npos || year < day) &&
      (month == std::string::npos || year < month)) {
    r.date_order = 2;
  } else if (month != std::string::npos && day != std::string::npos && month < day) {
    r.date_order = 0;
  } else {
    r.date_order = 1;
  }
  if (!date.first_separator.empty()) r.date_separator = date.first_separator;

  std::string time_format = expand(langinfo(T_FMT));
  FormatShape time = shape_of(time_format);
  if (!time.first_separator.empty()) r.time_separator = time.first_separator;
  r.clock_kind = (time.fields.find_first_of("Il") != std::string::npos) ? 0 : 1;

  std::string am = langinfo(AM_STR);
  std::string pm = langinfo(PM_STR);
  r.am_designator = am.empty() ? "AM" : am;
  r.pm_designator = pm.empty() ? "PM" : pm;

  std::string radix = langinfo(RADIXCHAR);
  if (radix.empty()) {
    const std::lconv* conv = std::localeconv();
    if (conv != nullptr && conv->decimal_point != nullptr) radix = conv->decimal_point;
  }
  r.decimal_separator = radix.empty() ? "." : radix;
  return r;
}

DateTime::DateTime() : seconds_(epoch_1980()) {}

DateTime::DateTime(int year, int month, int day, int hour, int minute, int second) {
  if (year >= 0 && year <= 38) {
    year += 2000;
  } else if (year >= 39 && year <= 1899) {
    year += 1900;
  }
  bool valid = false;
  // Negative and five-digit years are garbage, not dates to normalise; a
  // field out of its range would be normalised away and so refused anyway,
  // and is refused before it can overflow the calendar's arithmetic.
  const bool in_range = year >= 0 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
                        day <= 31 && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 &&
                        second >= 0 && second <= 59;
  std::int64_t t = in_range ? local_seconds(year, month, day, hour, minute, second, &valid) : 0;
  seconds_ = valid ? t : epoch_1980();
}

DateTime DateTime::now() {
  DateTime d;
  d.seconds_ = static_cast<std::int64_t>(std::time(nullptr));
  return d;
}

DateTime DateTime::parse(std::string_view text) { return parse(text, RegionalSettings::current()); }

DateTime DateTime::parse(std::string_view text, const RegionalSettings& regional) {
  int year = 0;
  int month = 0;
  int day = 0;
  switch (regional.date_order) {
    case 0:
      month = number_at(text, 0, 2);
      day = number_at(text, 3, 2);
      year = number_at(text, 6, 4);
      break;
    case 2:
      year = number_at(text, 0, 4);
      month = number_at(text, 5, 2);
      day = number_at(text, 8, 2);
      break;
    default:
      day = number_at(text, 0, 2);
      month = number_at(text, 3, 2);
      year = number_at(text, 6, 4);
      break;
  }
  int hour = number_at(text, 13, 2);
  int minute = number_at(text, 16, 2);
  int second = number_at(text, 19, 2);
  if (regional.clock_kind == 0) {
    // The formatter writes 00:xx as "12:xx AM" and 12:xx as "12:xx PM"; read
    // them back as the same hours.
    std::string_view tail = trim_right(text);
    bool pm = iends_with(tail, regional.pm_designator);
    bool am = !pm && iends_with(tail, regional.am_designator);
    if (pm && hour >= 1 && hour <= 11) hour += 12;
    if (am && hour == 12) hour = 0;
  }
  return DateTime(year, month, day, hour, minute, second);
}

int DateTime::year() const { return fields_of(seconds_).tm_year + 1900; }
int DateTime::month() const { return fields_of(seconds_).tm_mon + 1; }
int DateTime::day() const { return fields_of(seconds_).tm_mday; }
int DateTime::hour() const { return fields_of(seconds_).tm_hour; }
int DateTime::minute() const { return fields_of(seconds_).tm_min; }
int DateTime::second() const { return fields_of(seconds_).tm_sec; }

std::string DateTime::format_date() const { return format_date(RegionalSettings::current()); }

std::string DateTime::format_date(const RegionalSettings& regional) const {
  std::tm tm = fields_of(seconds_);
  const char* sep = regional.date_separator.c_str();
  int y = tm.tm_year + 1900;
  int m = tm.tm_mon + 1;
  int d = tm.tm_mday;
  switch (regional.date_order) {
    case 0: return c_format("%02d%s%02d%s%4d", m, sep, d, sep, y);
    case 2: return c_format("%4d%s%02d%s%02d", y, sep, m, sep, d);
    default: return c_format("%02d%s%02d%s%4d", d, sep, m, sep, y);
  }
}

std::string DateTime::format_time() const { return format_time(RegionalSettings::current()); }

std::string DateTime::format_time(const RegionalSettings& regional) const {
  std::tm tm = fields_of(seconds_);
  const char* sep = regional.time_separator.c_str();
  if (regional.clock_kind == 0) {
    int h = tm.tm_hour % 12;
    if (h == 0) h = 12;
    const std::string& designator = tm.tm_hour > 11 ? regional.pm_designator : regional.am_designator;
    return c_format("%02d%s%02d%s%02d %s", h, sep, tm.tm_min, sep, tm.tm_sec, designator.c_str());
  }
  return c_format("%02d%s%02d%s%02d", tm.tm_hour, sep, tm.tm_min, sep, tm.tm_sec);
}

std::int64_t DateTime::seconds_since_1980() const { return seconds_ - epoch_1980(); }

int DateTime::serial_day() const {
  static constexpr int kMonthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::tm tm = fields_of(seconds_);
  int y = tm.tm_year - 100;
  if (y < 91) y += 100;
  int n = (y - 1) / 4 + 365 * y + 2;
  if (tm.tm_mon >= 2 && y % 4 == 0) n += 1;
  for (int m = 0; m < tm.tm_mon && m < 12; ++m) n += kMonthLengths[m];
  n += tm.tm_mday - 1;
  return n;
}

double DateTime::day_fraction() const {
  std::tm tm = fields_of(seconds_);
  return (tm.tm_sec + 60.0 * (tm.tm_min + 60.0 * tm.tm_hour)) / 86400.0;
}

}  // namespace orvadw
