#include "params/value_codec.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/cp1252.h"
#include "params/parameter_descriptor.h"
#include "params/value_format.h"

namespace orvadw {

namespace {

std::uint64_t read_be(std::span<const std::uint8_t> block, int offset, int size) {
  std::uint64_t v = 0;
  for (int i = 0; i < size; ++i) v = (v << 8) | block[static_cast<std::size_t>(offset + i)];
  return v;
}

void write_be(std::span<std::uint8_t> block, int offset, int size, std::uint64_t v) {
  for (int i = size - 1; i >= 0; --i) {
    block[static_cast<std::size_t>(offset + i)] = static_cast<std::uint8_t>(v & 0xFF);
    v >>= 8;
  }
}

long long sign_extend(std::uint64_t v, int bits) {
  std::uint64_t sign = std::uint64_t{1} << (bits - 1);
  return static_cast<long long>((v ^ sign)) - static_cast<long long>(sign);
}

int bit_of(std::uint32_t layout) { return static_cast<int>((layout - value_type::kBit0) >> 8); }

bool is_bit_layout(std::uint32_t layout) { return layout >= value_type::kBit0 && layout <= value_type::kBit7; }

// Positions of the six date fields (year, month, day, hour, minute, second)
// inside the six raw bytes, per layout.
struct DateOrder {
  int year, month, day, hour, minute, second;
};

DateOrder order_of(std::uint32_t layout) {
  switch (layout) {
    case value_type::kDate5:
      return {1, 0, 3, 2, 5, 4};  // month, year, hour, day, second, minute
    case value_type::kDate6:
      return {1, 0, 2, 3, 4, 5};  // month, year, day, hour, minute, second
    default:
      return {0, 1, 2, 3, 4, 5};  // year, month, day, hour, minute, second
  }
}

int raw_byte(std::uint64_t raw, int index) { return static_cast<int>((raw >> (8 * index)) & 0xFF); }
int from_bcd(int b) { return (b >> 4) * 10 + (b & 0x0F); }
int to_bcd(int v) { return ((v / 10) << 4) | (v % 10); }

}  // namespace

std::uint32_t ValueCodec::layout(std::uint32_t type) {
  if (type & 0xF000) return type & 0xF000;
  return type & 0x0F00;
}

bool ValueCodec::is_scaled(std::uint32_t type) {
  switch (layout(type)) {
    case value_type::kU8:
    case value_type::kS16:
    case value_type::kS24:
    case value_type::kHighNibble:
    case value_type::kLowNibble:
    case value_type::kU16:
    case value_type::kU32:
    case value_type::kS32:
    case value_type::kU8b:
      return true;
    default:
      return false;
  }
}

bool ValueCodec::takes_number(std::uint32_t type) {
  std::uint32_t l = layout(type);
  return l == value_type::kFloat || l == value_type::kTimes26 || l == value_type::kDouble;
}

bool ValueCodec::is_integer_type(std::uint32_t type) {
  std::uint32_t l = layout(type);
  return is_scaled(type) || is_bit_layout(l) || l == value_type::kMultiplier || l == value_type::kBitMask;
}

bool ValueCodec::fits(std::uint32_t type, double maximum, int offset, std::size_t block_size) {
  if (offset < 0) return false;
  auto end = static_cast<std::size_t>(offset) + static_cast<std::size_t>(value_type_size(type, maximum));
  return end <= block_size;
}

bool ValueCodec::read_number(std::uint32_t type, std::span<const std::uint8_t> block, int offset, double& value) {
  std::uint32_t l = layout(type);
  if (!(is_integer_type(type) || takes_number(type))) return false;
  if (!fits(type, 0, offset, block.size())) return false;
  auto at = [&](int i) { return block[static_cast<std::size_t>(offset + i)]; };
  switch (l) {
    case value_type::kU8:
    case value_type::kU8b:
      value = at(0);
      return true;
    case value_type::kS16:
      value = static_cast<double>(sign_extend(read_be(block, offset, 2), 16));
      return true;
    case value_type::kS24:
      value = static_cast<double>(sign_extend(read_be(block, offset, 3), 24));
      return true;
    case value_type::kFloat: {
      auto bits = static_cast<std::uint32_t>(read_be(block, offset, 4));
      value = static_cast<double>(std::bit_cast<float>(bits));
      return true;
    }
    case value_type::kHighNibble:
      value = at(0) >> 4;
      return true;
    case value_type::kLowNibble:
      value = at(0) & 0x0F;
      return true;
    case value_type::kMultiplier: {
      double m = at(0);
      double n = static_cast<double>(read_be(block, offset + 1, 2));
      value = std::round(n * (m + 1) * 0.075);
      return true;
    }
    case value_type::kTimes26:
      value = static_cast<double>(read_be(block, offset, 2)) * 0.038461538461538464;
      return true;
    case value_type::kU16:
      value = static_cast<double>(read_be(block, offset, 2));
      return true;
    case value_type::kU32:
      value = static_cast<double>(read_be(block, offset, 4));
      return true;
    case value_type::kS32:
      value = static_cast<double>(sign_extend(read_be(block, offset, 4), 32));
      return true;
    case value_type::kBitMask: {
      unsigned mask = type & 0xFF;
      unsigned packed = 0;
      int out_bit = 0;
      for (int bit = 0; bit < 8; ++bit) {
        if ((mask & (1u << bit)) == 0) continue;
        if (at(0) & (1u << bit)) packed |= 1u << out_bit;
        ++out_bit;
      }
      value = packed;
      return true;
    }
    case value_type::kDouble:
      value = std::bit_cast<double>(read_be(block, offset, 8));
      return true;
    default:
      if (is_bit_layout(l)) {
        value = at(0) & (1u << bit_of(l));
        return true;
      }
      return false;
  }
}

bool ValueCodec::write_integer(std::uint32_t type, std::span<std::uint8_t> block, int offset, long long value) {
  std::uint32_t l = layout(type);
  if (!is_integer_type(type) || !fits(type, 0, offset, block.size())) return false;
  std::uint8_t& byte = block[static_cast<std::size_t>(offset)];
  switch (l) {
    case value_type::kU8:
    case value_type::kU8b:
      byte = static_cast<std::uint8_t>(saturate(value, 0, 255));
      return true;
    case value_type::kS16:
      write_be(block, offset, 2, static_cast<std::uint64_t>(saturate(value, -32768, 32767)));
      return true;
    case value_type::kS24:
      write_be(block, offset, 3, static_cast<std::uint64_t>(saturate(value, -8388608, 8388607)));
      return true;
    case value_type::kHighNibble:
      byte = static_cast<std::uint8_t>((byte & 0x0F) | (saturate(value, 0, 15) << 4));
      return true;
    case value_type::kLowNibble:
      byte = static_cast<std::uint8_t>((byte & 0xF0) | saturate(value, 0, 15));
      return true;
    case value_type::kMultiplier: {
      // v / 65535 picks the multiplier; it has one byte, so beyond 255 the
      // value saturates at the largest the layout can carry.
      long long v = saturate(std::trunc(static_cast<double>(value) * 13.333333333333334), 0,
                             std::numeric_limits<long long>::max());
      long long m = v / 65535;
      long long n = 0;
      if (m > 255) {
        m = 255;
        n = saturate(v / 256, 0, 65535);
      } else {
        n = v / (m + 1);
      }
      byte = static_cast<std::uint8_t>(m);
      write_be(block, offset + 1, 2, static_cast<std::uint64_t>(n));
      return true;
    }
    case value_type::kU16:
      write_be(block, offset, 2, static_cast<std::uint64_t>(saturate(value, 0, 65535)));
      return true;
    case value_type::kU32:
      write_be(block, offset, 4, static_cast<std::uint64_t>(saturate(value, 0, 0xFFFFFFFFLL)));
      return true;
    case value_type::kS32:
      write_be(block, offset, 4,
               static_cast<std::uint64_t>(saturate(value, std::numeric_limits<std::int32_t>::min(),
                                                   std::numeric_limits<std::int32_t>::max())));
      return true;
    case value_type::kBitMask: {
      unsigned mask = type & 0xFF;
      int width = std::popcount(mask);
      auto packed = static_cast<unsigned>(saturate(value, 0, (1LL << width) - 1));
      int in_bit = 0;
      for (int bit = 0; bit < 8; ++bit) {
        if ((mask & (1u << bit)) == 0) continue;
        if (packed & (1u << in_bit)) byte = static_cast<std::uint8_t>(byte | (1u << bit));
        ++in_bit;
      }
      return true;
    }
    default: {
      // One bit: any non-zero integer sets it.
      unsigned weight = 1u << bit_of(l);
      byte = static_cast<std::uint8_t>((byte & ~weight) | (saturate(value, 0, 1) ? weight : 0u));
      return true;
    }
  }
}

bool ValueCodec::write_number(std::uint32_t type, std::span<std::uint8_t> block, int offset, double value) {
  if (!takes_number(type) || !fits(type, 0, offset, block.size())) return false;
  switch (layout(type)) {
    case value_type::kFloat:
      write_be(block, offset, 4, std::bit_cast<std::uint32_t>(static_cast<float>(value)));
      return true;
    case value_type::kTimes26:
      write_be(block, offset, 2, static_cast<std::uint64_t>(saturate(std::trunc(value * 26), 0, 65535)));
      return true;
    default:
      write_be(block, offset, 8, std::bit_cast<std::uint64_t>(value));
      return true;
  }
}

bool ValueCodec::read_text(std::span<const std::uint8_t> block, int offset, double maximum, std::string& text) {
  if (!fits(value_type::kText, maximum, offset, block.size())) return false;
  int size = value_type_size(value_type::kText, maximum);
  std::string bytes;
  for (int i = 0; i < size; ++i) {
    std::uint8_t b = block[static_cast<std::size_t>(offset + i)];
    if (b == 0) break;
    bytes.push_back(static_cast<char>(b));
  }
  while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
  text = utf8_from_cp1252(bytes);
  return true;
}

bool ValueCodec::write_text(std::span<std::uint8_t> block, int offset, double maximum, const std::string& text) {
  if (!fits(value_type::kText, maximum, offset, block.size())) return false;
  int size = value_type_size(value_type::kText, maximum);
  std::string bytes = cp1252_from_utf8(text);
  for (int i = 0; i < size; ++i) {
    auto index = static_cast<std::size_t>(i);
    block[static_cast<std::size_t>(offset + i)] =
        index < bytes.size() ? static_cast<std::uint8_t>(bytes[index]) : static_cast<std::uint8_t>(' ');
  }
  return true;
}

bool ValueCodec::read_date_raw(std::uint32_t type, std::span<const std::uint8_t> block, int offset,
                               std::uint64_t& raw) {
  if (!is_date_type(type) || !fits(type, 0, offset, block.size())) return false;
  int step = layout(type) == value_type::kDateSpread ? 2 : 1;
  int first = layout(type) == value_type::kDateSpread ? 1 : 0;
  raw = 0;
  for (int i = 0; i < 6; ++i) {
    raw |= std::uint64_t{block[static_cast<std::size_t>(offset + first + i * step)]} << (8 * i);
  }
  return true;
}

bool ValueCodec::write_date_raw(std::uint32_t type, std::span<std::uint8_t> block, int offset, std::uint64_t raw) {
  if (!is_date_type(type) || !fits(type, 0, offset, block.size())) return false;
  int step = layout(type) == value_type::kDateSpread ? 2 : 1;
  int first = layout(type) == value_type::kDateSpread ? 1 : 0;
  for (int i = 0; i < 6; ++i) {
    block[static_cast<std::size_t>(offset + first + i * step)] = static_cast<std::uint8_t>(raw_byte(raw, i));
  }
  return true;
}

DateTime ValueCodec::date_from_raw(std::uint32_t type, std::uint64_t raw) {
  std::uint32_t l = layout(type);
  DateOrder o = order_of(l);
  auto field = [&](int index) {
    int b = raw_byte(raw, index);
    return l == value_type::kDateBcd ? from_bcd(b) : b;
  };
  int month = field(o.month);
  if (l == value_type::kDate6) month &= 0x0F;  // the high nibble is not part of the month
  return DateTime(field(o.year), month, field(o.day), field(o.hour), field(o.minute), field(o.second));
}

std::uint64_t ValueCodec::raw_from_date(std::uint32_t type, const DateTime& date) {
  std::uint32_t l = layout(type);
  DateOrder o = order_of(l);
  auto put = [&](int index, int v) {
    int b = l == value_type::kDateBcd ? to_bcd(v) : v;
    return std::uint64_t(static_cast<unsigned>(b) & 0xFF) << (8 * index);
  };
  return put(o.year, date.year() % 100) | put(o.month, date.month()) | put(o.day, date.day()) |
         put(o.hour, date.hour()) | put(o.minute, date.minute()) | put(o.second, date.second());
}

}  // namespace orvadw
