#pragma once
// The byte layouts of the value types inside a register block (most
// significant byte first). Every reader checks that the value lies inside the
// given bytes; every writer saturates to the type's range instead of letting
// a value wrap into a different number.
#include <cstdint>
#include <span>
#include <string>

#include "base/date_time.h"

namespace orvadw {

class ValueCodec {
 public:
  // The layout selector of a type: its high nibble for 0x1000 and above
  // (0x900F -> 0x9000), else its high byte (0x900 -> 0x900).
  static std::uint32_t layout(std::uint32_t value_type);
  // Whether decoding divides by the format's scale.
  static bool is_scaled(std::uint32_t value_type);
  // Whether the value is written from the field's number rather than its text.
  static bool takes_number(std::uint32_t value_type);
  static bool is_integer_type(std::uint32_t value_type);

  // True when offset..offset+size lies inside a block of block_size bytes.
  static bool fits(std::uint32_t value_type, double maximum, int offset, std::size_t block_size);

  // The raw value of a numeric type (before scaling). False when the type is
  // not numeric or the bytes are not all there.
  static bool read_number(std::uint32_t value_type, std::span<const std::uint8_t> block, int offset,
                          double& value);
  // Integer types (everything numeric except 0x400, 0x2000 and 0xB000).
  static bool write_integer(std::uint32_t value_type, std::span<std::uint8_t> block, int offset,
                            long long value);
  // 0x400, 0x2000 and 0xB000.
  static bool write_number(std::uint32_t value_type, std::span<std::uint8_t> block, int offset,
                           double value);

  // 0x500: up to the first zero byte or maximum bytes, trailing blanks
  // removed, Windows-1252 turned into UTF-8.
  static bool read_text(std::span<const std::uint8_t> block, int offset, double maximum, std::string& text);
  // The text in Windows-1252, cut to maximum bytes and padded with blanks.
  static bool write_text(std::span<std::uint8_t> block, int offset, double maximum, const std::string& text);

  // The six date bytes in the type's own order, first byte least significant.
  static bool read_date_raw(std::uint32_t value_type, std::span<const std::uint8_t> block, int offset,
                            std::uint64_t& raw);
  static bool write_date_raw(std::uint32_t value_type, std::span<std::uint8_t> block, int offset,
                             std::uint64_t raw);
  static DateTime date_from_raw(std::uint32_t value_type, std::uint64_t raw);
  static std::uint64_t raw_from_date(std::uint32_t value_type, const DateTime& date);
};

}  // namespace orvadw
