#pragma once
// What a field of kind 0x800 needs from its chart. The curve chart of the
// measurement view implements it and registers a factory; until one is
// registered the binder falls back to a plain point chart.
#include <QWidget>
#include <functional>
#include <vector>

namespace orvadw {

class ParameterField;

class ChartView {
 public:
  static constexpr double kNoValue = -1.7e308;  // a point without value

  virtual ~ChartView();
  virtual QWidget* widget() = 0;
  // Range of series 0 and the upper and lower labels.
  virtual void set_range(double minimum, double maximum) = 0;
  // Shifts series 0 by one point and stores the value last.
  virtual void add_point(double value) = 0;
  virtual std::vector<double> points(int series = 0) const = 0;
  // -1 for an empty list, else 0.
  virtual int set_points(int series, const std::vector<double>& points) = 0;
  virtual void redraw() = 0;

  // Creates the chart of a field under parent (which owns the widget).
  using Factory = std::function<ChartView*(QWidget* parent, const ParameterField& field)>;
  static void set_factory(Factory factory);
  static ChartView* create(QWidget* parent, const ParameterField& field);
};

}  // namespace orvadw
