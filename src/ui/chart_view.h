#pragma once
// What a field of kind 0x800 needs from its chart on screen. The points,
// range and labels live in a ChartSeries (the field's, or the chart's own
// when it stands alone); a chart only paints it, again whenever it changes.
// The measurement view's curve chart registers a factory; until one is
// registered the binder falls back to a plain point chart.
#include <QWidget>
#include <functional>
#include <vector>

#include "params/chart_series.h"

namespace orvadw {

class ParameterField;

class ChartView {
 public:
  static constexpr double kNoValue = ChartSeries::kNoValue;  // a point without value

  virtual ~ChartView();
  virtual QWidget* widget() = 0;
  // The series painted (series 0, the only one this system uses).
  virtual ChartSeries& series() = 0;

  // Range of series 0 and the upper and lower labels.
  void set_range(double minimum, double maximum) { series().set_range(minimum, maximum); }
  // Shifts series 0 by one point and stores the value last.
  void add_point(double value) { series().add_point(value); }
  std::vector<double> points(int series_index = 0);
  // -1 for an empty list or another series, else 0.
  int set_points(int series_index, const std::vector<double>& points);
  virtual void redraw() = 0;

  // Creates the chart of a field under parent (which owns the widget).
  using Factory = std::function<ChartView*(QWidget* parent, ParameterField& field)>;
  static void set_factory(Factory factory);
  static ChartView* create(QWidget* parent, ParameterField& field);
};

// Keeps a chart widget on a series that may go first: the field list is
// destroyed before the window's widgets. Until a series is given, or once it
// has gone, the chart paints a series of its own.
class ChartSeriesLink : public ChartObserver {
 public:
  ChartSeriesLink(ChartSeries* series, std::function<void()> changed);
  ~ChartSeriesLink() override;
  ChartSeriesLink(const ChartSeriesLink&) = delete;
  ChartSeriesLink& operator=(const ChartSeriesLink&) = delete;

  ChartSeries& series() { return shown_ != nullptr ? *shown_ : own_; }
  const ChartSeries& series() const { return shown_ != nullptr ? *shown_ : own_; }

  void chart_changed(const ChartSeries& series) override;
  void chart_destroyed(const ChartSeries& series) override;

 private:
  ChartSeries own_;
  ChartSeries* shown_ = nullptr;
  std::function<void()> changed_;
};

}  // namespace orvadw
