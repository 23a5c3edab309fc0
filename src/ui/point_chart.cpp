#include "ui/point_chart.h"

#include <QPainter>
#include <QPainterPath>

namespace orvadw {

PointChart::PointChart(ChartSeries* series, QWidget* parent)
    : QWidget(parent), sized_(1), link_(series, [this] { update(); }) {}

PointChart::PointChart(int point_count, QWidget* parent)
    : QWidget(parent), sized_(point_count), link_(&sized_, [this] { update(); }) {}

void PointChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area = rect().adjusted(0, 0, -1, -1);
  painter.fillRect(area, QColor(170, 170, 230));
  painter.setPen(Qt::black);
  painter.drawRect(area);
  const ChartSeries& s = series();
  const auto& points = s.points();
  if (points.size() < 2) return;
  painter.setPen(QColor(255, 0, 0));
  QPainterPath path;
  bool drawing = false;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const std::optional<double> up = s.height_fraction(points[i]);
    if (!up) {
      drawing = false;  // a gap in the line
      continue;
    }
    const double x = area.width() * static_cast<double>(i) / static_cast<double>(points.size() - 1);
    const double y = area.height() * (1.0 - *up);
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
