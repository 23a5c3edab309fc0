// The measurement view's poll steps, fed with answers of the simulated
// instrument (laid out by hand, apart from the codec).
#include "params/measurement_session.h"

#include <gtest/gtest.h>

#include "base/text_table.h"
#include "params/chart_series.h"
#include "sim/simulated_instrument.h"

namespace orvadw {
namespace {

class MeasurementSessionTest : public ::testing::Test {
 protected:
  MeasurementSessionTest()
      : fields(make_field_list(measurement_window(kEnglish), kEnglish)), session(fields) {}

  std::vector<std::uint8_t> answer(const PolledRequest& request) {
    return instrument.registers(request.address, request.count);
  }
  std::string text(int control) { return fields.field(control)->value_text(); }

  sim::SimulatedInstrument instrument{sim::InstrumentOptions{1, "10-11-A", 25, 7, true}};
  ParameterFieldList fields;
  MeasurementSession session;
};

TEST_F(MeasurementSessionTest, TheFirstAnswerIsTheChartRangeThenLiveValuesFeedTheChart) {
  const PolledRequest range = session.range_request();
  EXPECT_EQ(range, (PolledRequest{3, 0x1013, 3, 2}))
      << "from the table: registers 0x1013 to 0x1015";
  EXPECT_EQ(session.live_request(), (PolledRequest{3, 0x100, 24, 2}));

  ASSERT_EQ(session.process(range.address, answer(range)), MeasurementSession::Answer::kRange);
  ChartSeries& chart = session.chart();
  EXPECT_DOUBLE_EQ(chart.minimum(), 850.0) << "C 4mA of the instrument";
  EXPECT_DOUBLE_EQ(chart.maximum(), 1560.0);
  EXPECT_EQ(chart.points().back(), ChartSeries::kNoValue)
      << "the live values come from the second answer";
  std::vector<std::uint8_t> expected(38, 0);
  const auto bounds = instrument.registers(0x1013, 3);
  expected.insert(expected.end(), bounds.begin(), bounds.end());
  EXPECT_EQ(session.parameters_image(), expected);

  const PolledRequest live = session.live_request();
  const std::vector<std::uint8_t> data = answer(live);
  ASSERT_EQ(session.process(live.address, data), MeasurementSession::Answer::kLive);
  EXPECT_EQ(session.live_image(), data) << "the sample keeps the bytes as received";
  EXPECT_NEAR(chart.points().back(), fields.field(MeasurementSession::kSpeedControl)->number(),
              0.05);
  EXPECT_EQ(text(1075), "No Fault") << "status 0x02: only bit 0 is the fault";
  const MeasurementSession::Sample sample = session.sample();
  EXPECT_EQ(sample[2].size(), 800u);
  EXPECT_EQ(session.instrument_clock(), DateTime(2024, 3, 15, 12, 0, 0));

  EXPECT_EQ(session.process(live.address, {}), MeasurementSession::Answer::kFailed);
  EXPECT_EQ(session.process(live.address, std::vector<std::uint8_t>(10, 0)),
            MeasurementSession::Answer::kFailed)
      << "a short answer cannot be the live block";
  EXPECT_EQ(session.live_image(), data);
}

TEST_F(MeasurementSessionTest, FaultBitAndTheLastSphereFollowTheInstrument) {
  const PolledRequest live = session.live_request();
  std::vector<std::uint8_t> data = answer(live);
  data[5] = 0x01;
  session.process(live.address, data);
  EXPECT_EQ(text(1075), "Fault");
  EXPECT_TRUE(fields.field(MeasurementSession::kSphereDateControl)->is_shown());
  // Sphere count 0 hides the last-sphere date; the first sphere shows it.
  data[28] = data[29] = data[30] = data[31] = 0;
  data[5] = 0x00;
  session.process(live.address, data);
  EXPECT_EQ(text(1075), "No Fault");
  EXPECT_FALSE(fields.field(MeasurementSession::kSphereDateControl)->is_shown());
  data[31] = 1;
  session.process(live.address, data);
  EXPECT_TRUE(fields.field(MeasurementSession::kSphereDateControl)->is_shown());
}

TEST_F(MeasurementSessionTest, AReplayedSampleRestoresValuesChartAndRange) {
  const PolledRequest range = session.range_request();
  session.process(range.address, answer(range));
  for (int i = 0; i < 5; ++i) {
    instrument.advance(std::chrono::milliseconds(1000));
    session.process(0x100, answer(session.live_request()));
  }
  const MeasurementSession::Sample recorded = session.sample();
  const std::string speed = text(MeasurementSession::kSpeedControl);
  const std::vector<double> points = session.chart().points();

  ParameterFieldList other = make_field_list(measurement_window(kEnglish), kEnglish);
  MeasurementSession replay(other);
  ASSERT_EQ(replay.apply_sample(recorded), 0);
  EXPECT_EQ(other.field(MeasurementSession::kSpeedControl)->value_text(), speed);
  EXPECT_EQ(replay.instrument_clock(), DateTime(2024, 3, 15, 12, 0, 5));
  ASSERT_EQ(replay.chart().size(), 200);
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (points[i] == ChartSeries::kNoValue) {
      ASSERT_EQ(replay.chart().points()[i], ChartSeries::kNoValue);
    } else {
      ASSERT_NEAR(replay.chart().points()[i], points[i], 1e-3);
    }
  }
  EXPECT_DOUBLE_EQ(replay.chart().maximum(), 1560.0) << "the range comes with the sample";
  MeasurementSession::Sample damaged = recorded;
  damaged[1].resize(20);
  EXPECT_EQ(replay.apply_sample(damaged), -1);
}

}  // namespace
}  // namespace orvadw
