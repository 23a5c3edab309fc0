#include "params/grid_table.h"

#include <gtest/gtest.h>

#include "base/text_table.h"
#include "params/window_table.h"

namespace orvadw {
namespace {

TEST(GridTable, CellsStayInsideTheTableAndRowsComeAndGo) {
  GridTable grid(3, 4);
  grid.set_fixed(1, 0);
  grid.set_row(0, {"N°", "Date", "Heure", "T Obt(µs)", "extra"});
  grid.set_cell(2, 3, "125");
  grid.set_cell(3, 0, "lost");
  grid.set_cell(0, 4, "lost");
  grid.set_cell(-1, 0, "lost");
  EXPECT_EQ(grid.row(0), (std::vector<std::string>{"N°", "Date", "Heure", "T Obt(µs)"}));
  EXPECT_EQ(grid.cell(2, 3), "125");
  EXPECT_EQ(grid.cell(3, 0), "");
  EXPECT_EQ(grid.rows(), 3) << "a write outside never grows the table";
  EXPECT_EQ(grid.filled_rows(), (std::vector<int>{2})) << "the header row is not data";

  EXPECT_EQ(grid.append_row({"3", "01/01/2024"}), 3);
  EXPECT_EQ(grid.cell(3, 1), "01/01/2024");
  grid.remove_rows(1, 1);
  EXPECT_EQ(grid.rows(), 3);
  EXPECT_EQ(grid.cell(1, 3), "125") << "the rows below move up";
  EXPECT_EQ(grid.cell(2, 0), "3");
  grid.remove_rows(2, 10);
  EXPECT_EQ(grid.rows(), 2);

  // Resizing keeps what fits and the columns' layout.
  grid.set_column_alignment(1, CellAlignment::kCentre);
  grid.set_column_width(1, 80);
  grid.set_dimensions(5, 2);
  EXPECT_EQ(grid.cell(0, 1), "Date");
  EXPECT_EQ(grid.cell(0, 2), "");
  EXPECT_EQ(grid.column_alignment(1), CellAlignment::kCentre);
  EXPECT_EQ(grid.column_width(1), 80);
  EXPECT_EQ(grid.column_alignment(7), CellAlignment::kLeft);
  grid.clear_rows(1);
  EXPECT_EQ(grid.cell(0, 0), "N°") << "clearing from row 1 keeps the header";
  EXPECT_TRUE(grid.filled_rows().empty());
}

TEST(GridTable, GridFieldsOwnTheirCellsSoTheFieldListCanBeRead) {
  const WindowTable logger = logger_window(kEnglish);
  ParameterFieldList fields = make_field_list(logger, kEnglish);
  ParameterField* grid_field = fields.field(1292);
  ASSERT_NE(grid_field, nullptr);
  ASSERT_NE(grid_field->grid(), nullptr);
  EXPECT_EQ(fields.field(1235)->grid(), nullptr) << "only grid fields have cells";
  grid_field->grid()->set_dimensions(21, 4);
  grid_field->grid()->set_cell(1, 0, "1");
  EXPECT_EQ(fields.field(1292)->grid()->cell(1, 0), "1");
}

}  // namespace
}  // namespace orvadw
