#pragma once
// The fallback chart: keeps the points and the range of series 0 and draws
// them as a plain line. The measurement view's curve chart replaces it.
#include <QWidget>
#include <vector>

#include "ui/chart_view.h"

namespace orvadw {

class PointChart : public QWidget, public ChartView {
 public:
  PointChart(int point_count, QWidget* parent = nullptr);

  QWidget* widget() override { return this; }
  void set_range(double minimum, double maximum) override;
  void add_point(double value) override;
  std::vector<double> points(int series = 0) const override;
  int set_points(int series, const std::vector<double>& points) override;
  void redraw() override { update(); }

  double minimum() const { return minimum_; }
  double maximum() const { return maximum_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<double> points_;
  double minimum_ = 0;
  double maximum_ = 0;
};

}  // namespace orvadw
