#include "ui/point_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace orvadw {

PointChart::PointChart(int point_count, QWidget* parent)
    : QWidget(parent), points_(static_cast<std::size_t>(std::clamp(point_count, 1, 100000)), kNoValue) {}

void PointChart::set_range(double minimum, double maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  update();
}

void PointChart::add_point(double value) {
  std::rotate(points_.begin(), points_.begin() + 1, points_.end());
  points_.back() = value;
  update();
}

std::vector<double> PointChart::points(int series) const {
  if (series != 0) return {};
  return points_;
}

int PointChart::set_points(int series, const std::vector<double>& points) {
  if (series != 0 || points.empty()) return -1;
  points_ = points;
  update();
  return 0;
}

void PointChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area = rect().adjusted(0, 0, -1, -1);
  painter.fillRect(area, QColor(170, 170, 230));
  painter.setPen(Qt::black);
  painter.drawRect(area);
  if (!(maximum_ > minimum_) || points_.size() < 2) return;
  painter.setPen(QColor(255, 0, 0));
  QPainterPath path;
  bool drawing = false;
  const double span = maximum_ - minimum_;
  for (std::size_t i = 0; i < points_.size(); ++i) {
    const double v = points_[i];
    if (v == kNoValue || v < minimum_ || v > maximum_) {
      drawing = false;  // a gap in the line
      continue;
    }
    const double x = area.width() * static_cast<double>(i) / static_cast<double>(points_.size() - 1);
    const double y = area.height() * (1.0 - (v - minimum_) / span);
    if (drawing) {
      path.lineTo(x, y);
    } else {
      path.moveTo(x, y);
      drawing = true;
    }
  }
  painter.drawPath(path);
}

}  // namespace orvadw
