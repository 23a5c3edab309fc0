#include "ui/chart_view.h"

#include "params/parameter_field.h"
#include "ui/point_chart.h"

namespace orvadw {

namespace {
ChartView::Factory& factory() {
  static ChartView::Factory f;
  return f;
}
}  // namespace

ChartView::~ChartView() = default;

void ChartView::set_factory(Factory f) { factory() = std::move(f); }

ChartView* ChartView::create(QWidget* parent, const ParameterField& field) {
  if (factory()) {
    if (ChartView* chart = factory()(parent, field)) return chart;
  }
  // The choice list id of a chart field is its number of points.
  const int count = field.descriptor().choice_list_id > 0 ? field.descriptor().choice_list_id : 200;
  auto* chart = new PointChart(count, parent);
  chart->set_range(field.descriptor().minimum, field.descriptor().maximum);
  return chart;
}

}  // namespace orvadw
