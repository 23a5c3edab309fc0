#pragma once
// The fallback chart: paints series 0 as a plain line over the background.
// The measurement view's curve chart replaces it.
#include <QWidget>

#include "ui/chart_view.h"

namespace orvadw {

class PointChart : public QWidget, public ChartView {
 public:
  // series: the points to paint (the field's); null keeps point_count
  // points of the chart's own.
  explicit PointChart(ChartSeries* series, QWidget* parent = nullptr);
  explicit PointChart(int point_count, QWidget* parent = nullptr);

  QWidget* widget() override { return this; }
  ChartSeries& series() override { return link_.series(); }
  void redraw() override { update(); }

  double minimum() { return series().minimum(); }
  double maximum() { return series().maximum(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ChartSeries sized_;  // the points of a chart made without a series
  ChartSeriesLink link_;
};

}  // namespace orvadw
