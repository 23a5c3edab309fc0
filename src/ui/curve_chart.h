#pragma once
// The running chart of a kind-0x800 field: a child window that paints its
// series itself with QPainter. Background, dotted grid (1 vertical and 10
// horizontal divisions: nine horizontal lines), frame, the upper and lower
// range labels, the zero line with the middle label when zero lies inside
// the range, then series 0 spread over the width, oldest point at the left
// edge. Points outside the range or without value are not drawn; the line
// breaks there, and a point alone between two gaps is drawn as a dot. What
// is drawable, and an empty range, is ChartSeries's rule.
#include <QColor>
#include <QWidget>

#include "ui/chart_view.h"

class QPainter;

namespace orvadw {

class CurveChart : public QWidget, public ChartView {
  Q_OBJECT

 public:
  static constexpr int kVerticalDivisions = 1;
  static constexpr int kHorizontalDivisions = 10;

  explicit CurveChart(ChartSeries* series, QWidget* parent = nullptr);

  QWidget* widget() override { return this; }
  ChartSeries& series() override { return link_.series(); }
  void redraw() override { update(); }

  // Paints the whole chart into the rectangle (what paintEvent does; the
  // print layout and the benchmark call it on their own surfaces).
  void paint(QPainter& painter, const QRect& plot);

  bool zero_line() const { return zero_line_; }
  void set_zero_line(bool on);

  // Makes the curve chart the chart of every kind-0x800 field bound from now on.
  static void install();

 private:
  void paintEvent(QPaintEvent* event) override;

  ChartSeriesLink link_;
  QColor background_{170, 170, 230};
  QColor frame_{0, 0, 0};
  QColor line_{255, 0, 0};
  bool zero_line_ = true;
};

}  // namespace orvadw
