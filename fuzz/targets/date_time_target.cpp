// Dates from any fields and any text, in any regional format, in a time zone
// with daylight-saving changes: the value is always a real calendar time,
// formatting and parsing it again gives the same fields, and the spreadsheet
// day number agrees with a day count done independently.
#include <cstdlib>
#include <ctime>

#include "base/date_time.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/fuzz_input.h"

namespace orvadw::fuzz {

namespace {

constexpr const char* kDateSeparators[] = {"/", ".", "-", " "};
constexpr const char* kTimeSeparators[] = {":", ".", "h"};
struct Designators {
  const char* am;
  const char* pm;
};
constexpr Designators kDesignators[] = {{"AM", "PM"}, {"am", "pm"}, {"a.m.", "p.m."}, {"vorm.", "nachm."}};

// Days from 1970-01-01 of a proleptic Gregorian date.
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void check_value(const DateTime& d, const RegionalSettings& regional) {
  FUZZ_CHECK(d.year() >= 1900 && d.year() <= 9999, "a year outside 1900-9999");
  FUZZ_CHECK(d.month() >= 1 && d.month() <= 12, "a month outside 1-12");
  FUZZ_CHECK(d.day() >= 1 && d.day() <= 31, "a day outside 1-31");
  FUZZ_CHECK(d.hour() >= 0 && d.hour() <= 23 && d.minute() >= 0 && d.minute() <= 59 &&
                 d.second() >= 0 && d.second() <= 60,
             "a time of day outside the clock");

  const std::string text = d.format_date(regional) + " - " + d.format_time(regional);
  const DateTime back = DateTime::parse(text, regional);
  FUZZ_CHECK(back.year() == d.year() && back.month() == d.month() && back.day() == d.day() &&
                 back.hour() == d.hour() && back.minute() == d.minute() &&
                 back.second() == d.second(),
             "\"" + text + "\" does not read back as the date it shows");

  const double fraction = d.day_fraction();
  FUZZ_CHECK(fraction >= 0.0 && fraction < 1.0, "a day fraction outside [0, 1)");
  // The spreadsheet counts from 1899-12-30 (its 1900 leap day is after that
  // only in March 1900); the count holds for the years it is defined for.
  if (d.year() >= 1901 && d.year() <= 2090) {
    const std::int64_t serial = days_from_civil(d.year(), static_cast<unsigned>(d.month()),
                                                static_cast<unsigned>(d.day())) -
                                days_from_civil(1899, 12, 30);
    FUZZ_CHECK(d.serial_day() == serial, "serial day differs from the day count");
  }
}

}  // namespace

int fuzz_date_time(const std::uint8_t* data, std::size_t size) {
  // A zone with daylight-saving changes, so that skipped and repeated hours
  // are part of the game.
  static const bool zone = [] {
    ::setenv("TZ", "Europe/Paris", 1);
    ::tzset();
    return true;
  }();
  (void)zone;
  FuzzInput in(data, size);
  RegionalSettings regional;
  regional.date_order = static_cast<int>(in.pick(3));
  regional.date_separator = kDateSeparators[in.pick(std::size(kDateSeparators))];
  regional.time_separator = kTimeSeparators[in.pick(std::size(kTimeSeparators))];
  regional.clock_kind = static_cast<int>(in.pick(2));
  const Designators& designators = kDesignators[in.pick(std::size(kDesignators))];
  regional.am_designator = designators.am;
  regional.pm_designator = designators.pm;

  const int year = in.i32();
  const int month = in.i32();
  const int day = in.i32();
  const int hour = in.i32();
  const int minute = in.i32();
  const int second = in.i32();
  check_value(DateTime(year, month, day, hour, minute, second), regional);
  check_value(DateTime::parse(in.rest_text(), regional), regional);
  return 0;
}

}  // namespace orvadw::fuzz
