// Dialog templates by id, and the fallback chart and grid that fields of
// kind 0x800 and 0x1000 get.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "support/event_recorder.h"
#include "support/qt_print.h"
#include "ui/control_takeover.h"
#include "ui/named_message_registry.h"
#include "ui/dialog_root.h"
#include "ui/dialog_template_registry.h"
#include "ui/point_chart.h"
#include "ui/table_grid.h"

namespace orvadw {
namespace {

TEST(DialogTemplates, ThePleaseWaitTemplateHasItsTextAndProgressBar) {
  DialogRoot dialog(kPleaseWaitTemplate, nullptr, "");
  auto* text = qobject_cast<QLabel*>(find_control(&dialog, kPleaseWaitTextControl));
  auto* progress = qobject_cast<QProgressBar*>(find_control(&dialog, kPleaseWaitProgressControl));
  ASSERT_NE(text, nullptr);
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->minimum(), 0);
  EXPECT_EQ(progress->maximum(), 100);
  EXPECT_TRUE(text->wordWrap());
}

TEST(DialogTemplates, UnknownIdsBuildNothingAndLaterRegistrationsWin) {
  QWidget target;
  EXPECT_FALSE(DialogTemplateRegistry::contains(4242));
  EXPECT_FALSE(DialogTemplateRegistry::apply(4242, &target));
  EXPECT_TRUE(target.children().isEmpty());
  EXPECT_FALSE(DialogTemplateRegistry::apply(kPleaseWaitTemplate, nullptr));

  DialogTemplateRegistry::add(4242, [](QWidget* w) { new QLabel("first", w); });
  DialogTemplateRegistry::add(4242, [](QWidget* w) {
    auto* label = new QLabel("second", w);
    label->setObjectName(control_name(7));
  });
  EXPECT_TRUE(DialogTemplateRegistry::apply(4242, &target));
  ASSERT_NE(find_control(&target, 7), nullptr);
  EXPECT_EQ(qobject_cast<QLabel*>(find_control(&target, 7))->text(), "second");
  EXPECT_EQ(control_name(1117), "c1117");
}

TEST(PointChartView, KeepsAFixedNumberOfPointsOldestFirst) {
  PointChart chart(3);
  EXPECT_EQ(chart.points(), (std::vector<double>{ChartView::kNoValue, ChartView::kNoValue,
                                                 ChartView::kNoValue}));
  for (double v : {1.0, 2.0, 3.0, 4.0}) chart.add_point(v);
  EXPECT_EQ(chart.points(), (std::vector<double>{2, 3, 4}));
  EXPECT_EQ(chart.set_points(0, {}), -1);
  EXPECT_EQ(chart.points(), (std::vector<double>{2, 3, 4})) << "a refused list changes nothing";
  EXPECT_EQ(chart.set_points(0, {7, 8, 9}), 0);
  EXPECT_EQ(chart.points(), (std::vector<double>{7, 8, 9}));
  EXPECT_TRUE(chart.points(1).empty());
  chart.set_range(200, 2000);
  EXPECT_EQ(chart.minimum(), 200);
  EXPECT_EQ(chart.maximum(), 2000);
  chart.resize(120, 60);
  EXPECT_FALSE(chart.grab().isNull());  // draws with gaps and out-of-range points
}

TEST(TableGridView, CellsByRowAndColumnWithinFixedDimensions) {
  TableGrid grid;
  grid.set_dimensions(21, 4);
  grid.set_fixed(1, 0);
  EXPECT_EQ(grid.rows(), 21);
  EXPECT_EQ(grid.columns(), 4);
  EXPECT_EQ(grid.fixed_rows(), 1);
  grid.set_cell(0, 0, "N°");
  grid.set_cell(20, 3, "125");
  grid.set_cell(21, 0, "lost");
  grid.set_cell(-1, 0, "lost");
  EXPECT_EQ(grid.cell(0, 0), "N°");
  EXPECT_EQ(grid.cell(20, 3), "125");
  EXPECT_EQ(grid.cell(21, 0), "");
  for (int c = 0; c < 4; ++c) grid.set_column_alignment(c, Qt::AlignCenter);
  EXPECT_EQ(grid.model()->index(20, 3).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
  EXPECT_EQ(grid.model()->index(20, 3).data().toString(), "125");

  // Shrinking drops the last row; the others keep their texts.
  grid.set_dimensions(20, 4);
  EXPECT_EQ(grid.rows(), 20);
  EXPECT_EQ(grid.cell(0, 0), "N°");
  EXPECT_EQ(grid.cell(20, 3), "");
  grid.set_flat(true);
  EXPECT_EQ(grid.frameShape(), QFrame::NoFrame);
  // Cells are not editable by the user.
  EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_FALSE(grid.model()->index(1, 1).flags() & Qt::ItemIsEditable);
}

}  // namespace
}  // namespace orvadw

namespace orvadw {
namespace {

TEST(ControlTakeover, ANotifyingControlTakesTheTemplateControlsPlace) {
  test::EventRecorder owner;
  QWidget dialog;
  auto* layout = new QVBoxLayout(&dialog);
  auto* button = new QPushButton("Comparer");
  button->setObjectName(control_name(1300));
  button->setDefault(true);
  auto* edit = new QLineEdit("12");
  edit->setObjectName(control_name(1301));
  auto* list = new ChoiceList;
  list->setObjectName(control_name(1302));
  layout->addWidget(button);
  layout->addWidget(edit);
  layout->addWidget(list);

  NotifyingButton* compare = take_over<NotifyingButton>(&dialog, 1300, &owner, 1300);
  ASSERT_NE(compare, nullptr);
  EXPECT_EQ(compare->text(), "Comparer");
  EXPECT_TRUE(compare->isDefault());
  EXPECT_EQ(layout->indexOf(compare), 0);
  EXPECT_EQ(find_control(&dialog, 1300), compare);
  compare->click();
  ASSERT_EQ(owner.count(msg::kButtonClick), 1);
  EXPECT_EQ(owner.named(msg::kButtonClick)[0].wparam, 1300);

  NumberField* number = take_over<NumberField>(&dialog, 1301, &owner, 1301);
  ASSERT_NE(number, nullptr);
  EXPECT_EQ(number->text(), "12");
  EXPECT_EQ(layout->indexOf(number), 1);

  // Already the right kind: kept, given the owner.
  EXPECT_EQ(take_over<ChoiceList>(&dialog, 1302, &owner, 77), list);
  EXPECT_EQ(list->notification_id(), 77);

  EXPECT_EQ(take_over<SpinField>(&dialog, 1399, &owner, 1), nullptr);
}

}  // namespace
}  // namespace orvadw
