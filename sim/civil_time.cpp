#include "sim/civil_time.h"

#include <ctime>

namespace orvadw::sim {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

int days_in_month(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2) {
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 29 : 28;
  }
  return kDays[month - 1];
}

}  // namespace

std::int64_t seconds_from_civil(const CivilTime& t) {
  return days_from_civil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) *
             86400 +
         t.hour * 3600 + t.minute * 60 + t.second;
}

CivilTime civil_from_seconds(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  CivilTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (t.month <= 2 ? 1 : 0));
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

bool is_valid(const CivilTime& t) {
  return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= days_in_month(t.year, t.month) &&
         t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 &&
         t.second < 60;
}

int year_from_two_digits(int yy) { return yy <= 38 ? 2000 + yy : 1900 + yy; }

void put_date_mydhsm(std::uint8_t* out, const CivilTime& t) {
  out[0] = static_cast<std::uint8_t>(t.month);
  out[1] = static_cast<std::uint8_t>(t.year % 100);
  out[2] = static_cast<std::uint8_t>(t.hour);
  out[3] = static_cast<std::uint8_t>(t.day);
  out[4] = static_cast<std::uint8_t>(t.second);
  out[5] = static_cast<std::uint8_t>(t.minute);
}

std::optional<CivilTime> get_date_mydhsm(const std::uint8_t* in) {
  if (in[1] > 99) return std::nullopt;
  CivilTime t;
  t.month = in[0];
  t.year = year_from_two_digits(in[1]);
  t.hour = in[2];
  t.day = in[3];
  t.second = in[4];
  t.minute = in[5];
  if (!is_valid(t)) return std::nullopt;
  return t;
}

void put_date_logger(std::uint8_t* out, const CivilTime& t, int kind) {
  out[0] = static_cast<std::uint8_t>(((kind & 0x0F) << 4) | (t.month & 0x0F));
  out[1] = static_cast<std::uint8_t>(t.year % 100);
  out[2] = static_cast<std::uint8_t>(t.day);
  out[3] = static_cast<std::uint8_t>(t.hour);
  out[4] = static_cast<std::uint8_t>(t.minute);
  out[5] = static_cast<std::uint8_t>(t.second);
}

CivilTime local_now() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  CivilTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
  return t;
}

}  // namespace orvadw::sim
