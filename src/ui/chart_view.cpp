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

std::vector<double> ChartView::points(int series_index) {
  if (series_index != 0) return {};
  return series().points();
}

int ChartView::set_points(int series_index, const std::vector<double>& points) {
  if (series_index != 0) return -1;
  return series().set_points(points);
}

void ChartView::set_factory(Factory f) { factory() = std::move(f); }

ChartView* ChartView::create(QWidget* parent, ParameterField& field) {
  if (factory()) {
    if (ChartView* chart = factory()(parent, field)) return chart;
  }
  return new PointChart(field.chart(), parent);
}

ChartSeriesLink::ChartSeriesLink(ChartSeries* series, std::function<void()> changed)
    : own_(series != nullptr ? series->size() : ChartSeries::kDefaultPointCount),
      shown_(series),
      changed_(std::move(changed)) {
  own_.add_observer(this);
  if (shown_ != nullptr) shown_->add_observer(this);
}

ChartSeriesLink::~ChartSeriesLink() {
  if (shown_ != nullptr) shown_->remove_observer(this);
  own_.remove_observer(this);
}

void ChartSeriesLink::chart_changed(const ChartSeries&) {
  if (changed_) changed_();
}

void ChartSeriesLink::chart_destroyed(const ChartSeries& series) {
  if (&series != shown_) return;
  shown_ = nullptr;
  if (changed_) changed_();
}

}  // namespace orvadw
