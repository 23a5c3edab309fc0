#include "base/date_time.h"

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/process_locale.h"

namespace orvadw {
namespace {

using LocaleGuard = test::ProcessLocale;

// Runs a test in a fixed time zone so that daylight-saving cases are known.
class TimeZoneGuard {
 public:
  explicit TimeZoneGuard(const char* zone) {
    if (const char* old = std::getenv("TZ")) previous_ = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~TimeZoneGuard() {
    if (previous_) {
      ::setenv("TZ", previous_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }

 private:
  std::optional<std::string> previous_;
};

#define REQUIRE_LOCALE(guard, name)                                                 \
  LocaleGuard guard(name);                                                          \
  if (!guard.ok()) GTEST_SKIP() << "locale " << name << " is not generated on this " \
                                   "machine (scripts/setup.sh generates it)"

void expect_fields(const DateTime& d, int y, int mo, int day, int h, int mi, int s) {
  EXPECT_EQ(d.year(), y);
  EXPECT_EQ(d.month(), mo);
  EXPECT_EQ(d.day(), day);
  EXPECT_EQ(d.hour(), h);
  EXPECT_EQ(d.minute(), mi);
  EXPECT_EQ(d.second(), s);
}

RegionalSettings day_month_year() {
  RegionalSettings r;
  r.date_order = 1;
  r.date_separator = "/";
  r.time_separator = ":";
  r.clock_kind = 1;
  return r;
}

TEST(DateTimeFields, ValidFieldsAreKeptAndInvalidOnesGive1980) {
  TimeZoneGuard tz("Europe/Paris");
  expect_fields(DateTime(2024, 2, 29, 23, 59, 58), 2024, 2, 29, 23, 59, 58);
  expect_fields(DateTime(), 1980, 1, 1, 0, 0, 0);
  const DateTime epoch;
  EXPECT_EQ(DateTime(5, 13, 1, 0, 0, 0), epoch);  // month 13
  EXPECT_EQ(DateTime(2023, 2, 29, 0, 0, 0), epoch);  // not a leap year
  EXPECT_EQ(DateTime(2024, 4, 31, 0, 0, 0), epoch);
  EXPECT_EQ(DateTime(2024, 1, 1, 24, 0, 0), epoch);
  EXPECT_EQ(DateTime(2024, 1, 1, 0, 60, 0), epoch);
  EXPECT_EQ(DateTime(2024, 1, 0, 0, 0, 0), epoch);
  EXPECT_EQ(DateTime(2024, 0, 1, 0, 0, 0), epoch);
  EXPECT_EQ(DateTime(-5, 1, 1, 0, 0, 0), epoch);
  EXPECT_EQ(DateTime(123456, 1, 1, 0, 0, 0), epoch);
  EXPECT_EQ(DateTime(2024, 1, 1, 0, 2147483647, 0), epoch);
  // 02:30 does not exist on the morning clocks go forward in Paris.
  EXPECT_EQ(DateTime(2024, 3, 31, 2, 30, 0), epoch);
  expect_fields(DateTime(2024, 3, 31, 3, 30, 0), 2024, 3, 31, 3, 30, 0);
}

TEST(DateTimeFields, TwoDigitYears) {
  expect_fields(DateTime(38, 1, 19, 0, 0, 0), 2038, 1, 19, 0, 0, 0);
  expect_fields(DateTime(39, 6, 1, 0, 0, 0), 1939, 6, 1, 0, 0, 0);
  expect_fields(DateTime(0, 1, 1, 0, 0, 0), 2000, 1, 1, 0, 0, 0);
  expect_fields(DateTime(99, 12, 31, 0, 0, 0), 1999, 12, 31, 0, 0, 0);
  expect_fields(DateTime(1900, 3, 1, 0, 0, 0), 1900, 3, 1, 0, 0, 0);
  expect_fields(DateTime(2037, 12, 31, 23, 59, 59), 2037, 12, 31, 23, 59, 59);
}

TEST(DateTimeNumbers, SerialDayAndDayFraction) {
  EXPECT_EQ(DateTime(2000, 1, 1, 0, 0, 0).serial_day(), 36526);
  EXPECT_EQ(DateTime(2000, 3, 1, 0, 0, 0).serial_day(), 36586);
  EXPECT_EQ(DateTime(1999, 12, 31, 0, 0, 0).serial_day(), 36525);
  EXPECT_EQ(DateTime(2000, 2, 29, 0, 0, 0).serial_day(), 36585);
  EXPECT_EQ(DateTime(1970, 1, 1, 0, 0, 0).serial_day(), 25569);
  EXPECT_EQ(DateTime(2037, 12, 31, 0, 0, 0).serial_day(), 50405);
  EXPECT_EQ(DateTime(2024, 7, 14, 0, 0, 0).serial_day(), 45487);
  EXPECT_DOUBLE_EQ(DateTime(2000, 1, 1, 12, 0, 0).day_fraction(), 0.5);
  EXPECT_DOUBLE_EQ(DateTime(2000, 1, 1, 0, 0, 0).day_fraction(), 0.0);
  EXPECT_DOUBLE_EQ(DateTime(2000, 1, 1, 6, 30, 15).day_fraction(), (6 * 3600 + 30 * 60 + 15) / 86400.0);
}

TEST(DateTimeNumbers, SecondsSince1980FollowLocalClock) {
  {
    TimeZoneGuard tz("UTC");
    EXPECT_EQ(DateTime().seconds_since_1980(), 0);
    EXPECT_EQ(DateTime(1980, 1, 2, 0, 0, 1).seconds_since_1980(), 86401);
    EXPECT_EQ(DateTime(2000, 1, 1, 0, 0, 0).seconds_since_1980(), 631152000);
  }
  {
    TimeZoneGuard tz("Europe/Paris");
    EXPECT_EQ(DateTime().seconds_since_1980(), 0);
    // A winter date is as far from 1980-01-01 local as in UTC; across the
    // spring change one hour fewer has passed.
    EXPECT_EQ(DateTime(2000, 1, 1, 0, 0, 0).seconds_since_1980(), 631152000);
    EXPECT_EQ(DateTime(2000, 7, 1, 0, 0, 0).seconds_since_1980(),
              631152000 + 182LL * 86400 - 3600);
  }
}

TEST(DateTimeFormat, LayoutsByDateOrderAndClock) {
  DateTime d(2024, 3, 7, 0, 30, 5);
  RegionalSettings r = day_month_year();
  EXPECT_EQ(d.format_date(r), "07/03/2024");
  r.date_order = 0;
  EXPECT_EQ(d.format_date(r), "03/07/2024");
  r.date_order = 2;
  r.date_separator = "-";
  EXPECT_EQ(d.format_date(r), "2024-03-07");
  EXPECT_EQ(d.format_time(r), "00:30:05");
  r.clock_kind = 0;
  r.time_separator = ".";
  EXPECT_EQ(d.format_time(r), "12.30.05 AM");
  EXPECT_EQ(DateTime(2024, 3, 7, 12, 0, 0).format_time(r), "12.00.00 PM");
  EXPECT_EQ(DateTime(2024, 3, 7, 23, 59, 59).format_time(r), "11.59.59 PM");
  EXPECT_EQ(DateTime(2024, 3, 7, 11, 0, 0).format_time(r), "11.00.00 AM");
}

TEST(DateTimeParse, FixedPositionsByDateOrder) {
  RegionalSettings r = day_month_year();
  expect_fields(DateTime::parse("07/03/2024 - 13:45:09", r), 2024, 3, 7, 13, 45, 9);
  r.date_order = 0;
  expect_fields(DateTime::parse("03/07/2024 - 13:45:09", r), 2024, 3, 7, 13, 45, 9);
  r.date_order = 2;
  expect_fields(DateTime::parse("2024-03-07 - 13:45:09", r), 2024, 3, 7, 13, 45, 9);
  // Unreadable fields count as 0 and then fail the calendar check.
  EXPECT_EQ(DateTime::parse("2024-xx-07 - 13:45:09", r), DateTime());
  EXPECT_EQ(DateTime::parse("", r), DateTime());
  // A missing time part reads as midnight.
  expect_fields(DateTime::parse("2024-03-07", r), 2024, 3, 7, 0, 0, 0);
  // Two-digit year in the year slot.
  r.date_order = 1;
  expect_fields(DateTime::parse("01/02/38   - 10:00:00", r), 2038, 2, 1, 10, 0, 0);
}

TEST(DateTimeParse, TwelveHourClockRoundTripsEveryHour) {
  RegionalSettings r = day_month_year();
  r.clock_kind = 0;
  r.am_designator = "am";
  r.pm_designator = "pm";
  for (int hour = 0; hour < 24; ++hour) {
    DateTime d(2024, 5, 17, hour, 7, 8);
    std::string text = d.format_date(r) + " - " + d.format_time(r);
    EXPECT_EQ(DateTime::parse(text, r), d) << text;
  }
  expect_fields(DateTime::parse("17/05/2024 - 03:00:00 PM", r), 2024, 5, 17, 15, 0, 0);
  // A 24-hour clock ignores designators.
  r.clock_kind = 1;
  expect_fields(DateTime::parse("17/05/2024 - 03:00:00 pm", r), 2024, 5, 17, 3, 0, 0);
}

TEST(RegionalSettingsFromLocale, French) {
  REQUIRE_LOCALE(guard, "fr_FR.UTF-8");
  RegionalSettings r = RegionalSettings::current();
  EXPECT_EQ(r.date_order, 1);
  EXPECT_EQ(r.date_separator, "/");
  EXPECT_EQ(r.time_separator, ":");
  EXPECT_EQ(r.clock_kind, 1);
  EXPECT_EQ(r.decimal_separator, ",");
  EXPECT_EQ(r.am_designator, "AM");  // the locale has none
  EXPECT_EQ(DateTime(2024, 3, 7, 9, 5, 1).format_date() + " - " + DateTime(2024, 3, 7, 9, 5, 1).format_time(),
            "07/03/2024 - 09:05:01");
}

TEST(RegionalSettingsFromLocale, UnitedStatesIsMonthFirstWithTwelveHourClock) {
  REQUIRE_LOCALE(guard, "en_US.UTF-8");
  RegionalSettings r = RegionalSettings::current();
  EXPECT_EQ(r.date_order, 0);
  EXPECT_EQ(r.date_separator, "/");
  EXPECT_EQ(r.time_separator, ":");
  EXPECT_EQ(r.clock_kind, 0);
  EXPECT_EQ(r.am_designator, "AM");
  EXPECT_EQ(r.pm_designator, "PM");
  EXPECT_EQ(r.decimal_separator, ".");
  DateTime d(2024, 3, 7, 0, 30, 0);
  EXPECT_EQ(d.format_date(), "03/07/2024");
  EXPECT_EQ(d.format_time(), "12:30:00 AM");
  EXPECT_EQ(DateTime::parse(d.format_date() + " - " + d.format_time()), d);
}

TEST(RegionalSettingsFromLocale, GermanSwedishBritishBrazilian) {
  {
    REQUIRE_LOCALE(guard, "de_DE.UTF-8");
    RegionalSettings r = RegionalSettings::current();
    EXPECT_EQ(r.date_order, 1);
    EXPECT_EQ(r.date_separator, ".");
    EXPECT_EQ(r.clock_kind, 1);
    EXPECT_EQ(r.decimal_separator, ",");
    EXPECT_EQ(DateTime(2024, 3, 7, 0, 0, 0).format_date(), "07.03.2024");
  }
  {
    REQUIRE_LOCALE(guard, "sv_SE.UTF-8");
    RegionalSettings r = RegionalSettings::current();
    EXPECT_EQ(r.date_order, 2);
    EXPECT_EQ(r.date_separator, "-");
    EXPECT_EQ(r.clock_kind, 1);
    DateTime d(2024, 3, 7, 21, 4, 5);
    EXPECT_EQ(d.format_date(), "2024-03-07");
    EXPECT_EQ(DateTime::parse(d.format_date() + " - " + d.format_time()), d);
  }
  {
    REQUIRE_LOCALE(guard, "en_GB.UTF-8");
    RegionalSettings r = RegionalSettings::current();
    EXPECT_EQ(r.date_order, 1);
    EXPECT_EQ(r.date_separator, "/");
    EXPECT_EQ(r.clock_kind, 1);
    EXPECT_EQ(r.decimal_separator, ".");
  }
  {
    REQUIRE_LOCALE(guard, "pt_BR.UTF-8");
    RegionalSettings r = RegionalSettings::current();
    EXPECT_EQ(r.date_order, 1);
    EXPECT_EQ(r.date_separator, "/");
    EXPECT_EQ(r.decimal_separator, ",");
  }
}

}  // namespace
}  // namespace orvadw
