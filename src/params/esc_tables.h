#pragma once
// The two tables of the ESC information view below Qt: the instrument keeps,
// in block 0xB00, ten 6-byte entries per signal polarity (reverse from byte
// 0, normal from byte 60). Each table goes to its grid field (reverse to
// 1293, normal to 1294): 11 rows of 4 centred columns, a header row, then
// one row per entry up to the first entry whose number is 0. Entries are
// decoded through the window's entry fields (local block 0xFFFFFF), so the
// cells read exactly as those fields show them.
//
// Only whole entries inside the image are looked at: a short image ends the
// table where its bytes end, and the normal table's bytes are never taken
// for an eleventh reverse entry.
#include <cstdint>
#include <span>

#include "params/grid_table.h"
#include "params/parameter_field_list.h"

namespace orvadw {

class EscTables {
 public:
  static constexpr int kReverseGrid = 1293;
  static constexpr int kNormalGrid = 1294;
  static constexpr int kEntries = 10;
  static constexpr int kEntryBytes = 6;
  static constexpr int kReverseStart = 0;
  static constexpr int kNormalStart = kEntries * kEntryBytes;
  static constexpr int kRows = kEntries + 1;
  static constexpr int kColumns = 4;
  // The polarity list: item 0 reverse, item 1 normal.
  static constexpr int kPolarityList = 28;

  enum class Polarity { kReverse = 0, kNormal = 1 };

  // fields: the ESC window's field list (the view's, or one made from
  // esc_window()); it must outlive this object. A list without the two
  // grids and the three entry fields is a programming error (abort).
  explicit EscTables(ParameterFieldList& fields);

  GridTable& grid(Polarity polarity);
  const GridTable& grid(Polarity polarity) const;

  // Both grids back to their header rows: 11 x 4, one fixed row, centred,
  // flat, the headers in the fields' language.
  void reset();

  // Resets, then fills both tables from an image of block 0xB00 (as
  // received or loaded). Returns the entry rows filled over both tables.
  int fill(std::span<const std::uint8_t> image);

  // The entry rows of a table that hold an entry (0 to 10).
  int entry_count(Polarity polarity) const;

 private:
  int fill_table(GridTable& grid, std::span<const std::uint8_t> image, int start);
  const ParameterField& entry_field(int control_id) const;

  ParameterFieldList& fields_;
  GridTable* reverse_;
  GridTable* normal_;
};

}  // namespace orvadw
