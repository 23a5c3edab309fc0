// The differences list filled from a comparison of two settings lists: the
// rows as the comparison gives them, the sources' names, the lines only the
// printed copy shows, and a second comparison that replaces the first.
#include "params/differences_sheet.h"

#include <gtest/gtest.h>

#include "base/text_table.h"
#include "params/window_rules.h"
#include "params/window_table.h"

namespace orvadw {
namespace {

TEST(DifferencesSheet, RowsFollowTheComparisonAndASecondOneReplacesThem) {
  ParameterFieldList fields = make_field_list(differences_window(kEnglish), kEnglish);
  DifferencesSheet sheet(fields);
  EXPECT_EQ(fields.field(DifferencesSheet::kUnitNumberLine)->value_text(), text_of(236, kEnglish));
  EXPECT_EQ(fields.field(DifferencesSheet::kSignatureLine)->value_text(), text_of(242, kEnglish));
  EXPECT_FALSE(fields.field(DifferencesSheet::kUnitNumberLine)->is_shown());
  EXPECT_TRUE(fields.field(DifferencesSheet::kSignatureLine)->is_printed())
      << "hidden on screen, yet on the printed copy";

  const WindowTable settings = settings_window(kEnglish);
  ParameterFieldList file = make_field_list(settings, kEnglish);
  ParameterFieldList shown = make_field_list(settings, kEnglish);
  shown.field(1117)->set_number(12);    // JBus number
  shown.field(1035)->set_number(6000);  // TX period
  sheet.fill(compare_field_lists(file, shown), "/data/site1.eta", comparison_source_name("", kEnglish));

  EXPECT_EQ(fields.field(DifferencesSheet::kReferenceName)->value_text(), "/data/site1.eta");
  EXPECT_EQ(fields.field(DifferencesSheet::kActualName)->value_text(), "Serial Link");
  const GridTable& grid = sheet.grid();
  ASSERT_EQ(grid.rows(), 3);
  EXPECT_EQ(grid.row(0), (std::vector<std::string>{"Parameters", "Reference", "Actual", "Unit"}));
  EXPECT_EQ(grid.row(1), (std::vector<std::string>{"N. JBus", "1", "12", ""}));
  EXPECT_EQ(grid.row(2), (std::vector<std::string>{"Period TX", "5000", "6000", text_of(237, kEnglish)}));
  EXPECT_EQ(grid.fixed_rows(), 1);
  for (int c = 0; c < DifferencesSheet::kColumns; ++c)
    EXPECT_EQ(grid.column_alignment(c), CellAlignment::kLeft);

  // Identical values: the header row alone.
  sheet.fill(compare_field_lists(file, file), "a.eta", "b.eta");
  EXPECT_EQ(sheet.difference_count(), 0);
  EXPECT_EQ(grid.rows(), 1);
  EXPECT_EQ(fields.field(DifferencesSheet::kActualName)->value_text(), "b.eta");
}

}  // namespace
}  // namespace orvadw
