#include "params/chart_series.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "params/value_format.h"

namespace orvadw {

ChartSeries::ChartSeries(int point_count)
    : points_(static_cast<std::size_t>(std::clamp(point_count, 1, 100000)), kNoValue) {}

ChartSeries::~ChartSeries() {
  auto copy = observers_;
  for (auto* o : copy) o->chart_destroyed(*this);
}

int ChartSeries::set_points(const std::vector<double>& points) {
  if (points.empty()) return -1;
  points_ = points;
  announce();
  return 0;
}

void ChartSeries::add_point(double value, bool announce_it) {
  std::rotate(points_.begin(), points_.begin() + 1, points_.end());
  points_.back() = value;
  if (announce_it) announce();
}

void ChartSeries::clear() {
  std::fill(points_.begin(), points_.end(), kNoValue);
  announce();
}

void ChartSeries::set_range(double minimum, double maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  update_labels();
  announce();
}

void ChartSeries::set_label_format(const std::string& format, const std::string& unit) {
  label_format_ = format;
  unit_ = unit;
  update_labels();
  announce();
}

void ChartSeries::update_labels() {
  auto label = [this](double value) {
    std::string text = format_float(label_format_, value);
    if (!unit_.empty()) text += " " + unit_;
    return text;
  };
  upper_label_ = label(maximum_);
  middle_label_.clear();
  lower_label_ = label(minimum_);
}

std::optional<double> ChartSeries::height_fraction(double value) const {
  if (!std::isfinite(value) || value == kNoValue) return std::nullopt;
  if (value < minimum_ || value > maximum_) return std::nullopt;
  if (!(maximum_ > minimum_)) return 0.5;  // the one value of an empty range
  return (value - minimum_) / (maximum_ - minimum_);
}

std::optional<double> ChartSeries::zero_line_from_top() const {
  if (!(maximum_ > minimum_) || !std::isfinite(maximum_ - minimum_)) return std::nullopt;
  return maximum_ / (maximum_ - minimum_);
}

std::vector<std::uint8_t> ChartSeries::to_bytes() const {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(points_.size() * kPointBytes);
  for (double p : points_) {
    const float f = p == kNoValue ? -std::numeric_limits<float>::infinity() : static_cast<float>(p);
    const auto bits = std::bit_cast<std::uint32_t>(f);
    bytes.push_back(static_cast<std::uint8_t>(bits >> 24));
    bytes.push_back(static_cast<std::uint8_t>(bits >> 16));
    bytes.push_back(static_cast<std::uint8_t>(bits >> 8));
    bytes.push_back(static_cast<std::uint8_t>(bits));
  }
  return bytes;
}

int ChartSeries::from_bytes(std::span<const std::uint8_t> bytes) {
  const std::size_t n = bytes.size() / kPointBytes;
  if (n == 0) return -1;
  std::vector<double> points(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t* b = bytes.data() + kPointBytes * i;
    const std::uint32_t bits = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
                               (std::uint32_t{b[2]} << 8) | std::uint32_t{b[3]};
    const float f = std::bit_cast<float>(bits);
    points[i] = std::isinf(f) && f < 0 ? kNoValue : static_cast<double>(f);
  }
  return set_points(points);
}

void ChartSeries::announce() {
  auto copy = observers_;
  for (auto* o : copy) o->chart_changed(*this);
}

void ChartSeries::add_observer(ChartObserver* observer) {
  if (observer != nullptr && std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void ChartSeries::remove_observer(ChartObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

}  // namespace orvadw
