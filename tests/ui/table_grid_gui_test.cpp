// The grid on screen shows the field's cells: what the program writes in the
// model is what the view shows, and the other way round.
#include "ui/table_grid.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/text_table.h"
#include "params/parameter_field_list.h"
#include "ui/field_binder.h"
#include "ui/grid_table_model.h"

namespace orvadw {
namespace {

ParameterDescriptor grid_row() {
  return {1292, 0, 0, kind::kGrid, 0, "", 0, 0, 0, 0, "", 0, -1, -1};
}

TEST(TableGridModel, TheViewFollowsTheFieldsTableAndOutlivesIt) {
  QWidget dialog;
  auto* layout = new QVBoxLayout(&dialog);
  // The template's table gives the first size and the widths.
  auto* placeholder = new QTableWidget(21, 4);
  placeholder->setObjectName("c1292");
  placeholder->setColumnWidth(2, 77);
  layout->addWidget(placeholder);

  auto fields = std::make_unique<ParameterFieldList>(kEnglish);
  fields->add(grid_row());
  GridTable& cells = *fields->field(1292)->grid();
  auto binder = std::make_unique<FieldBinder>(*fields, &dialog);
  binder->bind_all();
  GridView* view = binder->grid(1292);
  ASSERT_NE(view, nullptr);
  auto* table_view = qobject_cast<TableGrid*>(view->widget());
  ASSERT_NE(table_view, nullptr);
  EXPECT_EQ(&view->table(), &cells) << "the view shows the field's own table";
  EXPECT_EQ(cells.rows(), 21);
  EXPECT_EQ(cells.column_width(2), 77);
  EXPECT_EQ(table_view->columnWidth(2), 77);

  QAbstractItemModel* model = table_view->model();
  QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
  cells.set_cell(5, 3, "1250");
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(model->index(5, 3).data().toString(), "1250");
  view->set_cell(6, 1, "31/12/2005");
  EXPECT_EQ(cells.cell(6, 1), "31/12/2005");

  // Rows added and removed in the model reach the view as rows.
  QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
  cells.append_row({"21", "x"});
  EXPECT_EQ(inserted.count(), 1);
  EXPECT_EQ(model->rowCount(), 22);
  EXPECT_EQ(model->index(21, 1).data().toString(), "x");
  cells.remove_rows(0, 2);
  EXPECT_EQ(model->rowCount(), 20);
  EXPECT_EQ(model->index(3, 3).data().toString(), "1250");

  cells.set_fixed(1, 0);
  EXPECT_TRUE(model->index(0, 2).data(Qt::BackgroundRole).isValid()) << "a fixed row looks like a header";
  EXPECT_FALSE(model->index(1, 2).data(Qt::BackgroundRole).isValid());
  cells.set_flat(true);
  EXPECT_EQ(table_view->frameShape(), QFrame::NoFrame);

  // The window's fields go before its widgets: the view then shows nothing
  // and must not reach the table that has gone.
  binder.reset();
  fields.reset();
  EXPECT_EQ(model->rowCount(), 0);
  EXPECT_EQ(view->cell(3, 3), "");
  view->set_cell(0, 0, "ignored");
  EXPECT_FALSE(table_view->grab().isNull());
}

}  // namespace
}  // namespace orvadw

namespace orvadw {
namespace {

// A long table scrolls under its fixed row: the row stands in the header,
// which stays in sight, and follows the texts the program writes in it.
TEST(TableGridModel, TheFixedRowStaysInSightWhileTheRowsScroll) {
  TableGrid grid;
  GridTable& cells = grid.table();
  cells.set_dimensions(21, 2);
  cells.set_fixed(1, 0);
  cells.set_cell(0, 0, "N°");
  cells.set_cell(0, 1, "Date");
  for (int r = 1; r < 21; ++r) cells.set_cell(r, 0, std::to_string(r));
  grid.resize(grid.sizeHint());
  grid.show();
  QCoreApplication::processEvents();

  EXPECT_FALSE(grid.horizontalHeader()->isHidden());
  EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), "Date");
  EXPECT_TRUE(grid.isRowHidden(0)) << "shown once, in the header";
  EXPECT_EQ(grid.rowAt(0), 1) << "the first row under the header is the first entry";
  grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
  QCoreApplication::processEvents();
  EXPECT_GT(grid.rowAt(0), 1);
  EXPECT_TRUE(grid.horizontalHeader()->isVisible()) << "scrolled, the header is still there";

  cells.set_cell(0, 1, "Datum");
  EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), "Datum");
  // Without fixed rows there is no header, and the first row shows.
  cells.set_fixed(0, 0);
  EXPECT_TRUE(grid.horizontalHeader()->isHidden());
  EXPECT_FALSE(grid.isRowHidden(0));
}

}  // namespace
}  // namespace orvadw
