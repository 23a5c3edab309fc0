#include "ui/curve_chart.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>

#include "params/parameter_field.h"

namespace orvadw {

CurveChart::CurveChart(ChartSeries* series, QWidget* parent)
    : QWidget(parent), link_(series, [this] { update(); }) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CurveChart::set_zero_line(bool on) {
  zero_line_ = on;
  update();
}

void CurveChart::install() {
  ChartView::set_factory([](QWidget* parent, ParameterField& field) -> ChartView* {
    return new CurveChart(field.chart(), parent);
  });
}

void CurveChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paint(painter, rect());
}

void CurveChart::paint(QPainter& painter, const QRect& plot) {
  const ChartSeries& s = series();
  painter.save();
  painter.setClipRect(plot);
  painter.translate(plot.topLeft());
  // The last pixel row and column belong to the frame.
  const double w = plot.width() - 1;
  const double h = plot.height() - 1;
  painter.fillRect(QRect(0, 0, plot.width(), plot.height()), background_);

  QPen dotted(frame_, 1, Qt::DotLine);
  painter.setPen(dotted);
  for (int i = 1; i < kVerticalDivisions; ++i) {
    const double x = i * w / kVerticalDivisions;
    painter.drawLine(QPointF(x, 0), QPointF(x, h));
  }
  for (int i = 1; i < kHorizontalDivisions; ++i) {
    const double y = i * h / kHorizontalDivisions;
    painter.drawLine(QPointF(0, y), QPointF(w, y));
  }
  painter.setPen(QPen(frame_, 1, Qt::SolidLine));
  painter.drawRect(QRectF(0, 0, w, h));

  const QFontMetrics metrics(painter.font());
  const int text_height = metrics.height();
  painter.setBackgroundMode(Qt::TransparentMode);
  if (zero_line_) {
    if (const std::optional<double> zero = s.zero_line_from_top(); zero && *zero * h < h) {
      const double y = *zero * h;
      painter.setPen(QPen(frame_, 3, Qt::SolidLine));
      painter.drawLine(QPointF(0, y), QPointF(w, y));
      if (!s.middle_label().empty()) {
        painter.setPen(frame_);
        painter.drawText(QPointF(5, y - text_height / 2.0 + metrics.ascent()),
                         QString::fromStdString(s.middle_label()));
      }
    }
  }
  painter.setPen(frame_);
  const double gap = text_height / 10.0;
  if (!s.upper_label().empty()) {
    painter.drawText(QPointF(3, gap + metrics.ascent()), QString::fromStdString(s.upper_label()));
  }
  if (!s.lower_label().empty()) {
    painter.drawText(QPointF(3, h - text_height - gap + metrics.ascent()),
                     QString::fromStdString(s.lower_label()));
  }

  const auto& points = s.points();
  const std::size_t n = points.size();
  painter.setPen(QPen(line_, 1, Qt::SolidLine));
  QPolygonF run;
  run.reserve(static_cast<int>(n));
  auto flush = [&painter, &run] {
    if (run.size() == 1) {
      painter.drawPoint(run.front());
    } else if (run.size() > 1) {
      painter.drawPolyline(run);
    }
    run.clear();
  };
  for (std::size_t i = 0; i < n; ++i) {
    const std::optional<double> up = s.height_fraction(points[i]);
    if (!up) {
      flush();
      continue;
    }
    const double x = n > 1 ? w * static_cast<double>(i) / static_cast<double>(n - 1) : w / 2;
    run.append(QPointF(x, h * (1.0 - *up)));
  }
  flush();
  painter.restore();
}

}  // namespace orvadw
