#pragma once
// One local date and time with one-second resolution, formatted in the user's
// regional format (read from the C library's locale at each call) and turned
// into spreadsheet day numbers.
#include <cstdint>
#include <string>
#include <string_view>

namespace orvadw {

struct RegionalSettings {
  int date_order = 1;  // 0 month-day-year, 1 day-month-year, 2 year-month-day
  std::string date_separator = "/";
  std::string time_separator = ":";
  int clock_kind = 1;  // 0 12-hour, 1 24-hour
  std::string am_designator = "AM";
  std::string pm_designator = "PM";
  std::string decimal_separator = ".";  // LC_NUMERIC, for export

  // From the current C locale (LC_TIME and LC_NUMERIC), at each call.
  static RegionalSettings current();
};

class DateTime {
 public:
  // 1980-01-01 00:00:00.
  DateTime();
  // Two-digit years: up to 38 means 20xx, 39 to 1899 gets 1900 added. Fields
  // that the calendar normalises or rejects give 1980-01-01 00:00:00.
  DateTime(int year, int month, int day, int hour, int minute, int second);

  static DateTime now();
  // Parses the layout that format_date, " - " and format_time produce.
  static DateTime parse(std::string_view text);
  static DateTime parse(std::string_view text, const RegionalSettings& regional);

  int year() const;
  int month() const;
  int day() const;
  int hour() const;
  int minute() const;
  int second() const;

  std::string format_date() const;
  std::string format_date(const RegionalSettings& regional) const;
  std::string format_time() const;
  std::string format_time(const RegionalSettings& regional) const;

  std::int64_t seconds_since_1980() const;
  int serial_day() const;
  double day_fraction() const;

  bool operator==(const DateTime& other) const = default;

 private:
  std::int64_t seconds_ = 0;  // local calendar clock
};

}  // namespace orvadw
