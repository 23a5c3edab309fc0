#pragma once
// The identification text at the top of every record file: eight lines
// saying which window saved the data, which program, and which instrument
// (serial week, year and number, software version and name). Texts here are
// UTF-8; they become Windows-1252 bytes only when they reach the file.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/date_time.h"

namespace orvadw {

// 0xFEFDFCFB written unsigned; readers ignore its value.
inline constexpr const char* kReservedHeaderLine = "4278058235";
inline constexpr int kHeaderLineCount = 8;

// The five identification parameters as their current texts.
struct IdentificationTexts {
  std::string serial_week;
  std::string serial_year;
  std::string serial_number;
  std::string software_version;
  std::string software_name;
};

// The header record filled from a file.
struct FileHeader {
  std::string window_title;
  std::string internal_name;
  std::uint32_t reserved = 0;
  std::uint16_t serial_week = 0;
  std::uint16_t serial_year = 0;
  std::uint32_t serial_number = 0;
  std::string software_version;
  std::string software_name;
  int record_count = 0;
  DateTime save_time;
  // How many of the eight lines the file had; the serial week is taken over
  // by a window only when all eight were there.
  int line_count = 0;
};

// Title, the program's internal name, the reserved line and the five
// identification texts, each line ending with a line feed. A line feed
// inside a value would shift every later line, so it becomes a blank.
std::string build_header_text(std::string_view title, const IdentificationTexts& ids);

// Splits a header text as read_header returns it (without its last line
// feed) into the header record. Fields of lines the text does not have keep
// the values the record held. Numbers are read like atoi and held to their
// field's range. Returns the number of lines taken (at most eight).
int parse_header_text(std::string_view text, FileHeader& header);

}  // namespace orvadw
