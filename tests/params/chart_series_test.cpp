#include "params/chart_series.h"

#include <gtest/gtest.h>


#include "base/text_table.h"
#include "params/window_table.h"
#include "support/hex_bytes.h"

namespace orvadw {
namespace {

constexpr double kNone = ChartSeries::kNoValue;

TEST(ChartSeries, KeepsTheLastPointsOldestFirstAndRoundTripsThroughItsBlock) {
  ChartSeries series(200);
  for (int i = 1; i <= 201; ++i) series.add_point(1000 + i);
  EXPECT_EQ(series.size(), 200);
  EXPECT_EQ(series.points().front(), 1002) << "the 201st value dropped the oldest";
  EXPECT_EQ(series.points().back(), 1201);

  ChartSeries small(3);
  small.add_point(1480.5);
  const std::vector<std::uint8_t> bytes = small.to_bytes();
  // No value becomes negative infinity, a value a big-endian float.
  EXPECT_EQ(test::hex(bytes), "FF 80 00 00 FF 80 00 00 44 B9 10 00");
  ChartSeries back(1);
  ASSERT_EQ(back.from_bytes(bytes), 0);
  EXPECT_EQ(back.points(), (std::vector<double>{kNone, kNone, 1480.5}));
  EXPECT_EQ(back.from_bytes(std::vector<std::uint8_t>{1, 2, 3}), -1) << "no whole float";
  EXPECT_EQ(back.size(), 3);
  EXPECT_EQ(back.set_points({}), -1);
}

TEST(ChartSeries, TheChartFieldStartsEmptyAndKeepsValuesBeyondItsRange) {
  ParameterFieldList fields = make_field_list(measurement_window(kEnglish), kEnglish);
  ParameterField* field = fields.field(1290);
  ASSERT_NE(field, nullptr);
  ChartSeries* chart = field->chart();
  ASSERT_NE(chart, nullptr);
  ASSERT_EQ(chart->size(), 200);
  for (double p : chart->points()) ASSERT_EQ(p, kNone) << "no point before the first value";
  EXPECT_EQ(chart->upper_label(), "2000.0 m/s");

  field->set_number(2500);  // above the chart's range: kept, not drawn
  EXPECT_EQ(chart->points().back(), 2500);
  EXPECT_FALSE(chart->height_fraction(2500));
  ASSERT_EQ(field->set_chart_range(200, 3000), 0);
  EXPECT_TRUE(chart->height_fraction(chart->points().back())) << "a wider range draws it again";

  ASSERT_EQ(fields.set_language(kFrench), 0);
  EXPECT_EQ(chart->upper_label(), "3000.0 m/s");
  field->show(false);
  EXPECT_EQ(field->set_chart_range(0, 1), -1) << "a hidden chart keeps its range";
  EXPECT_EQ(chart->maximum(), 3000);
}

}  // namespace
}  // namespace orvadw
