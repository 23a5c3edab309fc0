#pragma once
// The points of a running chart, without widgets: a fixed-length series, the
// oldest point first, each new value shifting the others one place towards
// the start; the range it is drawn in, and the labels that name that range.
// A chart field (kind 0x800) owns one, so that the measurement recording and
// replay (and the command line) keep and restore the points the chart shows;
// the window's chart only paints it.
//
// A point that has no value holds kNoValue. What may be drawn is decided
// here, once for every painter: a point is drawn only when it is a finite
// number with minimum <= value <= maximum. A range whose minimum equals its
// maximum puts exactly the points of that value on the middle line and draws
// no zero line; a range whose minimum is above its maximum draws no point.
// Nothing divides by zero.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvadw {

class ChartSeries;

class ChartObserver {
 public:
  virtual ~ChartObserver() = default;
  // Points, range or labels changed: time to paint again.
  virtual void chart_changed(const ChartSeries& series) = 0;
  // The series is going away (its field is destroyed before its view).
  virtual void chart_destroyed(const ChartSeries& /*series*/) {}
};

class ChartSeries {
 public:
  static constexpr double kNoValue = -1.7e308;
  static constexpr int kDefaultPointCount = 200;
  // Bytes of one point in the local chart block: a single-precision float,
  // most significant byte first.
  static constexpr int kPointBytes = 4;

  explicit ChartSeries(int point_count = kDefaultPointCount);
  ~ChartSeries();
  ChartSeries(const ChartSeries&) = delete;
  ChartSeries& operator=(const ChartSeries&) = delete;

  int size() const { return static_cast<int>(points_.size()); }
  const std::vector<double>& points() const { return points_; }
  // Replaces every point (the list may have another length); -1 for an
  // empty list, which changes nothing.
  int set_points(const std::vector<double>& points);
  // Drops the oldest point and puts value last. announce false: store only,
  // observers are not told (a chart fed point by point between redraws).
  void add_point(double value, bool announce = true);
  // Every point back to "no value".
  void clear();

  // The range and the labels that go with it: upper = the maximum printed
  // with the label format, a blank and the unit; lower likewise; middle empty.
  void set_range(double minimum, double maximum);
  double minimum() const { return minimum_; }
  double maximum() const { return maximum_; }
  void set_label_format(const std::string& format, const std::string& unit);
  const std::string& upper_label() const { return upper_label_; }
  const std::string& middle_label() const { return middle_label_; }
  const std::string& lower_label() const { return lower_label_; }

  // Where a value sits between the bottom (0) and the top (1) of the plot,
  // or nothing when it is not drawn.
  std::optional<double> height_fraction(double value) const;
  // Where the zero line sits, as a fraction of the height from the top
  // (beyond 1 when zero lies below the range); nothing when the range is
  // empty.
  std::optional<double> zero_line_from_top() const;

  // The series as the local chart block stores it: one float per point,
  // most significant byte first, "no value" as negative infinity.
  std::vector<std::uint8_t> to_bytes() const;
  // The reverse; the series takes as many points as whole floats are given.
  // -1 (nothing changes) when there is not one whole float.
  int from_bytes(std::span<const std::uint8_t> bytes);

  // Tells the observers (after changes made with announce false).
  void announce();
  void add_observer(ChartObserver* observer);
  void remove_observer(ChartObserver* observer);

 private:
  void update_labels();

  std::vector<double> points_;
  double minimum_ = 0;
  double maximum_ = 0;
  std::string label_format_ = "%0.1f";
  std::string unit_;
  std::string upper_label_;
  std::string middle_label_;
  std::string lower_label_;
  std::vector<ChartObserver*> observers_;
};

}  // namespace orvadw
