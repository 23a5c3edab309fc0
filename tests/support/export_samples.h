#pragma once
// Small measurement and logger files made byte by byte, and the PRN text
// their export must give, written out by hand. Header-only: the folders
// whose tests include it link the files layer themselves.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "files/record_file.h"

namespace orvadw::test {

using RecordBytes = std::vector<std::uint8_t>;

// One measurement sample: the parameter block image (38 zero bytes, then
// "C 4mA" 850.0 and "C 20mA" 1560.0 m/s), the live block image and the
// chart's 200 points (all without value but the last).
struct LiveValues {
  std::array<std::uint8_t, 4> speed;    // float, most significant byte first
  std::array<std::uint8_t, 4> transit;  // float
  std::uint8_t second;                  // of 2026-03-15 10:20:ss
  std::uint8_t gain;
  std::uint8_t quality;
  std::uint8_t fault;  // byte 5
};

inline std::array<RecordBytes, 3> measurement_sample(const LiveValues& v) {
  RecordBytes parameters(44, 0);
  parameters[39] = 0x21;  // 8500 tenths
  parameters[40] = 0x34;
  parameters[41] = 0x3C;  // 15600 tenths
  parameters[42] = 0xF0;
  RecordBytes live(48, 0);
  for (int i = 0; i < 4; ++i) {
    live[static_cast<std::size_t>(i)] = v.speed[static_cast<std::size_t>(i)];
    live[static_cast<std::size_t>(6 + i)] = v.transit[static_cast<std::size_t>(i)];
  }
  live[5] = v.fault;
  // Clock, type 0x5000: month, year, hour, day, second, minute.
  const std::uint8_t clock[] = {3, 26, 10, 15, v.second, 20};
  for (int i = 0; i < 6; ++i) live[static_cast<std::size_t>(10 + i)] = clock[i];
  live[18] = v.gain;
  live[20] = v.quality;
  // Last sphere 2026-03-15 09:00:00, count 3.
  const std::uint8_t sphere[] = {3, 26, 9, 15, 0, 0};
  for (int i = 0; i < 6; ++i) live[static_cast<std::size_t>(22 + i)] = sphere[i];
  live[31] = 3;
  const std::string firmware = "10-11-A";
  for (std::size_t i = 0; i < firmware.size(); ++i)
    live[32 + i] = static_cast<std::uint8_t>(firmware[i]);
  live[44] = 1;
  RecordBytes chart;
  for (int p = 0; p < 200; ++p) {
    const RecordBytes point = p == 199 ? RecordBytes{v.speed.begin(), v.speed.end()}
                                       : RecordBytes{0xFF, 0x80, 0x00, 0x00};  // negative infinity
    chart.insert(chart.end(), point.begin(), point.end());
  }
  return {parameters, live, chart};
}

// The two samples of the hand-made measurement file.
inline std::vector<std::array<RecordBytes, 3>> measurement_samples() {
  return {
      measurement_sample(
          {{0x44, 0xB9, 0x09, 0x9A}, {0x42, 0x87, 0x33, 0x33}, 30, 40, 92, 0x00}),  // 1480.3, 67.6
      measurement_sample(
          {{0x44, 0xB8, 0xFC, 0xCD}, {0x42, 0x87, 0x00, 0x00}, 31, 41, 90, 0x01})};  // 1479.9, 67.5
}

// Three logger entries: date type 0x6000 (month, year, day, hour, minute,
// second), then the obturation time as a float.
inline std::vector<RecordBytes> logger_entries() {
  return {
      {0x0C, 0x05, 0x1F, 0x17, 0x3B, 0x3A, 0x44, 0x7A, 0x00, 0x00},   // 31/12/2005 23:59:58, 1000
      {0x01, 0x06, 0x02, 0x08, 0x00, 0x01, 0x44, 0x80, 0x00, 0x00},   // 02/01/2006 08:00:01, 1024
      {0xF1, 0x06, 0x03, 0x09, 0x10, 0x20, 0x43, 0x00, 0x00, 0x00}};  // 03/01/2006 09:16:32, 128
}

inline bool write_record_file(const std::string& path, const std::vector<RecordBytes>& records) {
  RecordFile file;
  if (file.create(path) != 0) return false;
  if (file.create_header("Test\nOrvadW 10\n4278058235\n12\n26\n345\n10-11-A\nMeter\n",
                         DateTime(2026, 3, 15, 11, 0, 0)) != 0) {
    return false;
  }
  for (const RecordBytes& r : records) {
    if (file.append(r) != 0) return false;
  }
  return true;
}

inline bool write_measurement_file(const std::string& path) {
  std::vector<RecordBytes> records;
  for (const auto& sample : measurement_samples())
    records.insert(records.end(), sample.begin(), sample.end());
  return write_record_file(path, records);
}

inline bool write_logger_file(const std::string& path) {
  return write_record_file(path, logger_entries());
}

// The PRN texts, day-month-year with a 24-hour clock, as Windows-1252 bytes.
inline const std::string kMeasurementPrnEnglish =
    "N\xB0\tDate\tTime\tDateTime\tSp. Sound\tTime\tGain\tI.Q.\tDate Last Sphere\tTime Last Sphere\t"
    "DateTimeDerSphere\tCount\tDefaults\n"
    "1\t15/03/2026\t10:20:30\t46096.430903\t1480.3\t67.6\t40\t92\t15/03/"
    "2026\t09:00:00\t46096.375000\t3\tNo Fault\n"
    "2\t15/03/2026\t10:20:31\t46096.430914\t1479.9\t67.5\t41\t90\t15/03/"
    "2026\t09:00:00\t46096.375000\t3\tFault\n";
// French, with the decimal comma.
inline const std::string kMeasurementPrnFrench =
    "N\xB0\tDate\tHeure\tDateTime\tC\xE9l\xE9rit\xE9\tTemps\tGain\tI.Q.\tDate Derni\xE8re "
    "Sph\xE8re\t"
    "Heure Derni\xE8re Sph\xE8re\tDateTimeDerSphere\tCompteur\tD\xE9"
    "fauts\n"
    "1\t15/03/2026\t10:20:30\t46096,430903\t1480,3\t67,6\t40\t92\t15/03/"
    "2026\t09:00:00\t46096,375000\t3\tPas de D\xE9"
    "faut\n"
    "2\t15/03/2026\t10:20:31\t46096,430914\t1479,9\t67,5\t41\t90\t15/03/"
    "2026\t09:00:00\t46096,375000\t3\tD\xE9"
    "faut\n";
inline const std::string kLoggerPrnEnglish =
    "N\xB0\tDate\tTime\tT Obt(\xB5s)\n"
    "1\t31/12/2005\t23:59:58\t1000\n"
    "2\t02/01/2006\t08:00:01\t1024\n"
    "3\t03/01/2006\t09:16:32\t128\n";

}  // namespace orvadw::test
