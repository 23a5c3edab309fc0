// The curve chart paints what its series holds: checked on the pixels.
#include "ui/curve_chart.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>

namespace orvadw {
namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kBackground = qRgb(170, 170, 230);

QImage paint(CurveChart& chart, int width = 201, int height = 101) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  chart.paint(painter, QRect(0, 0, width, height));
  return image;
}

int count(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour;
  }
  return n;
}

// The rows of column x that hold the colour.
std::vector<int> rows_of(const QImage& image, int x, QRgb colour) {
  std::vector<int> rows;
  for (int y = 0; y < image.height(); ++y) {
    if (image.pixel(x, y) == colour) rows.push_back(y);
  }
  return rows;
}

TEST(CurveChart, PaintsFrameGridAndLabelsThenOnlyTheDrawablePoints) {
  ChartSeries series(201);
  series.set_label_format("%0.1f", "m/s");
  series.set_range(0, 100);
  CurveChart chart(&series);
  chart.set_zero_line(false);

  QImage image = paint(chart);
  EXPECT_EQ(count(image, kRed), 0) << "before any value: frame, grid and labels only";
  EXPECT_EQ(image.pixel(100, 45), kBackground);
  EXPECT_EQ(image.pixel(0, 45), kBlack) << "frame";
  // Nine dotted horizontal lines at y = i * 100 / 10: some black on row 90
  // away from the labels, none on row 85.
  EXPECT_GT(count(image.copy(120, 90, 80, 1), kBlack), 10);
  EXPECT_EQ(count(image.copy(120, 85, 80, 1), kBlack), 0);
  const QImage label = image.copy(3, 2, 60, 16);
  EXPECT_LT(count(label, kBackground), 60 * 16 - 20) << "the upper label is written there";

  // A flat series at 50 lies on the middle row from edge to edge.
  for (int i = 0; i < 201; ++i) series.add_point(50);
  image = paint(chart);
  EXPECT_EQ(rows_of(image, 100, kRed), std::vector<int>{50});
  EXPECT_EQ(image.pixel(199, 50), kRed);

  // Points out of range and without value leave gaps; they are not clamped
  // to an edge.
  std::vector<double> points(201, 50.0);
  for (int i = 60; i < 80; ++i) points[static_cast<std::size_t>(i)] = 150;  // above the range
  for (int i = 120; i < 140; ++i) points[static_cast<std::size_t>(i)] = ChartSeries::kNoValue;
  points[160] = std::nan("");
  ASSERT_EQ(series.set_points(points), 0);
  image = paint(chart);
  EXPECT_TRUE(rows_of(image, 70, kRed).empty());
  EXPECT_TRUE(rows_of(image, 130, kRed).empty());
  EXPECT_TRUE(rows_of(image, 160, kRed).empty());
  EXPECT_EQ(count(image.copy(0, 0, 201, 3), kRed), 0) << "nothing drawn at the top edge";
  EXPECT_EQ(rows_of(image, 40, kRed), std::vector<int>{50});

  // A wider range takes the high points in again.
  series.set_range(0, 200);
  image = paint(chart);
  EXPECT_EQ(rows_of(image, 70, kRed), std::vector<int>{25});
}

TEST(CurveChart, ZeroLineInsideTheRangeAndAnEmptyRange) {
  ChartSeries series(11);
  series.set_range(-50, 50);
  CurveChart chart(&series);
  QImage image = paint(chart);
  // A 3 pixel line at y = h * max / (max - min) = 50, rows 49 to 51, where
  // the dotted grid has only row 50.
  for (int x : {60, 61, 150, 151}) {
    EXPECT_EQ(image.pixel(x, 49), kBlack);
    EXPECT_EQ(image.pixel(x, 51), kBlack);
  }
  series.set_range(0, 100);
  image = paint(chart);
  EXPECT_NE(image.pixel(151, 98), kBlack) << "zero on the bottom edge: no thick line above it";

  // Minimum equal to maximum: that value on the middle row, no division by zero.
  series.set_range(1480, 1480);
  for (int i = 0; i < 11; ++i) series.add_point(i % 2 ? 1480 : 1481);
  image = paint(chart);
  EXPECT_EQ(rows_of(image, 20, kRed), std::vector<int>{50});
  EXPECT_TRUE(rows_of(image, 40, kRed).empty());
}

TEST(CurveChart, RepaintsWhenTheFieldsSeriesChangesAndOutlivesIt) {
  auto series = std::make_unique<ChartSeries>(5);
  CurveChart chart(series.get());
  chart.resize(120, 60);
  series->set_range(0, 10);
  series->add_point(5);
  EXPECT_EQ(chart.points().back(), 5);
  series.reset();
  EXPECT_EQ(chart.points().back(), ChartSeries::kNoValue) << "its own empty series once the field's has gone";
  EXPECT_FALSE(chart.grab().isNull());
}

}  // namespace
}  // namespace orvadw
