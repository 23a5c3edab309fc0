#pragma once
// One entry of a window's parameter table: how a value is shown, limited,
// printed and where it lives in the instrument's register blocks. Tables are
// written as data, one aggregate per row, in the order of the fourteen
// columns plus the page index.
#include <cstdint>
#include <string>

namespace orvadw {

// Presentation options.
namespace presentation {
inline constexpr std::uint32_t kNotPrinted1 = 1;   // left out of the printed sheet
inline constexpr std::uint32_t kNotPrinted2 = 2;   // left out of the printed sheet
inline constexpr std::uint32_t kHiddenValue = 4;   // no control: the value lives as text in the field
inline constexpr std::uint32_t kDisabled = 8;      // all three controls disabled
inline constexpr std::uint32_t kHidden = 16;       // controls hidden
inline constexpr std::uint32_t kValueDisabled = 32;  // value control disabled
}  // namespace presentation

// Kind flags.
namespace kind {
inline constexpr std::uint32_t kChoice = 0x1;
inline constexpr std::uint32_t kEdit = 0x2;
inline constexpr std::uint32_t kSpin = 0x4;
inline constexpr std::uint32_t kReadOnly = 0x8;
inline constexpr std::uint32_t kSortDescending = 0x10;
inline constexpr std::uint32_t kSortAscending = 0x20;
inline constexpr std::uint32_t kFrame = 0x40;
inline constexpr std::uint32_t kPrintBlock = 0x80;
inline constexpr std::uint32_t kHeading = 0x100;
inline constexpr std::uint32_t kBlankLine = 0x200;
inline constexpr std::uint32_t kBreak = 0x400;
inline constexpr std::uint32_t kChart = 0x800;
inline constexpr std::uint32_t kGrid = 0x1000;
inline constexpr std::uint32_t kConstant = 0x2000;   // value = initial text, unit from the text table
inline constexpr std::uint32_t kNotLimited = 0x4000;
// A field takes part in block decoding and encoding only with one of these.
inline constexpr std::uint32_t kValueKinds = kChoice | kEdit | kSpin | kReadOnly;
}  // namespace kind

// Value types: the high byte selects the layout (0x9000 keeps a bit mask in
// its low byte).
namespace value_type {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kU8 = 0x100;
inline constexpr std::uint32_t kS16 = 0x200;
inline constexpr std::uint32_t kS24 = 0x300;
inline constexpr std::uint32_t kFloat = 0x400;
inline constexpr std::uint32_t kText = 0x500;
inline constexpr std::uint32_t kHighNibble = 0x600;
inline constexpr std::uint32_t kLowNibble = 0x700;
inline constexpr std::uint32_t kBit0 = 0x800;  // .. 0xF00 for bit 7
inline constexpr std::uint32_t kBit7 = 0xF00;
inline constexpr std::uint32_t kMultiplier = 0x1000;
inline constexpr std::uint32_t kTimes26 = 0x2000;
inline constexpr std::uint32_t kU16 = 0x3000;
inline constexpr std::uint32_t kU32 = 0x4000;
inline constexpr std::uint32_t kDate5 = 0x5000;  // month, year, hour, day, second, minute
inline constexpr std::uint32_t kDate6 = 0x6000;  // month (low nibble), year, day, hour, minute, second
inline constexpr std::uint32_t kDate7 = 0x7000;  // year, month, day, hour, minute, second
inline constexpr std::uint32_t kS32 = 0x8000;
inline constexpr std::uint32_t kBitMask = 0x9000;  // + mask in the low byte
inline constexpr std::uint32_t kU8b = 0xA000;
inline constexpr std::uint32_t kDouble = 0xB000;
inline constexpr std::uint32_t kDateBcd = 0xC000;  // as kDate7, each byte BCD
inline constexpr std::uint32_t kDateSpread = 0xD000;  // 13 bytes, fields at 1, 3, 5, 7, 9, 11
}  // namespace value_type

struct ParameterDescriptor {
  std::int32_t control_id = 0;      // label control; value at +1, unit at +2 (see ParameterField)
  std::uint32_t presentation = 0;   // presentation:: bits
  std::int32_t label_text_id = 0;   // 0 = no label
  std::uint32_t kind = 0;           // kind:: bits
  std::int32_t choice_list_id = 0;  // item list of a choice or list field (points of a chart)
  std::string initial_text;         // shown until something else is loaded
  std::int32_t unit_text_id = 0;    // 0 = no unit
  std::int32_t spare = 0;
  double minimum = 0;
  double maximum = 0;
  std::string format;               // printf-style; last character gives the nature
  std::uint32_t value_type = 0;     // value_type:: layout in the block
  std::int32_t byte_offset = -1;    // -1 = not stored in the instrument
  std::int32_t block_address = -1;  // -1 = none
  int page = -1;                    // tab page (0-based); -1 = the window itself
};

// Bytes a value type occupies in its block (the 0x500 text: its maximum).
int value_type_size(std::uint32_t value_type, double maximum);
bool is_date_type(std::uint32_t value_type);

}  // namespace orvadw
