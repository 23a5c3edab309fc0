#include "params/esc_tables.h"

#include <cstdlib>

#include "base/c_locale.h"
#include "base/text_table.h"
#include "params/window_table.h"

namespace orvadw {

namespace {
// Header texts after the polarity: number, minimum gain, value in µs.
constexpr int kNumberText = 150;
constexpr int kMinGainText = 100;
constexpr int kValueText = 239;
// The entry's fields, in column order.
constexpr int kNumberField = 1098;
constexpr int kGainField = 1097;
constexpr int kValueField = 1099;

GridTable* grid_of(ParameterFieldList& fields, int control_id) {
  ParameterField* field = fields.field(control_id);
  GridTable* grid = field != nullptr ? field->grid() : nullptr;
  if (grid == nullptr) std::abort();  // the ESC table always has both grids
  return grid;
}
}  // namespace

EscTables::EscTables(ParameterFieldList& fields)
    : fields_(fields),
      reverse_(grid_of(fields, kReverseGrid)),
      normal_(grid_of(fields, kNormalGrid)) {
  for (int id : {kNumberField, kGainField, kValueField}) (void)entry_field(id);
  reset();
}

GridTable& EscTables::grid(Polarity polarity) {
  return polarity == Polarity::kReverse ? *reverse_ : *normal_;
}

const GridTable& EscTables::grid(Polarity polarity) const {
  return polarity == Polarity::kReverse ? *reverse_ : *normal_;
}

const ParameterField& EscTables::entry_field(int control_id) const {
  const ParameterField* field = fields_.field(control_id);
  if (field == nullptr) std::abort();
  return *field;
}

void EscTables::reset() {
  const int language = fields_.language();
  for (Polarity p : {Polarity::kReverse, Polarity::kNormal}) {
    GridTable& g = grid(p);
    g.set_dimensions(kRows, kColumns);
    g.set_fixed(1, 0);
    g.set_flat(true);
    for (int c = 0; c < kColumns; ++c) g.set_column_alignment(c, CellAlignment::kCentre);
    g.set_row(0, {text_of(kPolarityList, static_cast<int>(p), language), text_of(kNumberText, language),
                  text_of(kMinGainText, language), text_of(kValueText, language)});
    g.clear_rows(1);
  }
}

int EscTables::fill(std::span<const std::uint8_t> image) {
  reset();
  return fill_table(*reverse_, image, kReverseStart) + fill_table(*normal_, image, kNormalStart);
}

int EscTables::fill_table(GridTable& grid, std::span<const std::uint8_t> image, int start) {
  int filled = 0;
  for (int k = 0; k < kEntries; ++k) {
    const std::size_t at = static_cast<std::size_t>(start + k * kEntryBytes);
    if (at + kEntryBytes > image.size()) break;  // the image ends inside this entry
    const std::span<const std::uint8_t> entry = image.subspan(at, kEntryBytes);
    if (entry[0] == 0) break;  // number 0 ends the table
    if (fields_.decode(block::kEscEntry, entry) != 0) break;
    grid.set_row(k + 1, {c_format("%d", k + 1), entry_field(kNumberField).value_text(),
                         entry_field(kGainField).value_text(), entry_field(kValueField).value_text()});
    ++filled;
  }
  return filled;
}

int EscTables::entry_count(Polarity polarity) const {
  return static_cast<int>(grid(polarity).filled_rows().size());
}

}  // namespace orvadw
