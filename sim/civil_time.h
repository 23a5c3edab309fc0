#pragma once
// The instrument's calendar clock: local civil time as seconds since
// 1970-01-01 00:00:00 (no time zone; the meter has none), and the two byte
// layouts in which it shows dates.
#include <cstdint>
#include <optional>

namespace orvadw::sim {

struct CivilTime {
  int year = 2000;  // four digits
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

std::int64_t seconds_from_civil(const CivilTime& t);
CivilTime civil_from_seconds(std::int64_t seconds);
// Whether the fields name a real date and time.
bool is_valid(const CivilTime& t);
// Two-digit years as the instrument stores them: up to 38 means 20xx.
int year_from_two_digits(int yy);

// Date layout of the live values and the clock: month, year (two digits),
// hour, day, second, minute.
void put_date_mydhsm(std::uint8_t* out, const CivilTime& t);
std::optional<CivilTime> get_date_mydhsm(const std::uint8_t* in);

// Date layout of the logger: month (low nibble; the high nibble carries the
// event kind), year, day, hour, minute, second.
void put_date_logger(std::uint8_t* out, const CivilTime& t, int kind);

// The PC's local time now, as the instrument's clock starts from it.
CivilTime local_now();

}  // namespace orvadw::sim
