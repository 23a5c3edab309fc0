#pragma once
// What the measurement view does with each poll answer, below Qt so that
// `orvadw-cli record` runs the same steps: the first answer is the range
// request (the speeds of sound at 4 and 20 mA of the parameter block), which
// sets the chart's range; every later answer is the live block 0x100, whose
// speed of sound goes onto the chart. It keeps the three images a recorded
// sample is made of, exactly as received, and applies a replayed sample.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "base/date_time.h"
#include "params/polled_request.h"
#include "params/window_table.h"

namespace orvadw {

class ChartSeries;

class MeasurementSession {
 public:
  // Controls of the measurement table.
  static constexpr int kChartControl = 1290;
  static constexpr int kClockControl = 1073;
  static constexpr int kFaultControl = 1075;
  static constexpr int kSpeedControl = 1038;
  static constexpr int kSphereDateControl = 1074;
  static constexpr int kSphereCountControl = 1055;
  static constexpr int kLowSpeedControl = 1032;   // "C 4mA"
  static constexpr int kHighSpeedControl = 1029;  // "C 20mA"

  using Image = std::vector<std::uint8_t>;
  // Parameter block, live block, chart points: the layout of one sample.
  using Sample = std::array<Image, 3>;
  static constexpr std::array<int, 3> kSampleBlocks = {block::kParameters, block::kMeasure,
                                                       block::kChartPoints};

  // fields: the measurement window's field list (the view's, or one made
  // from measurement_window()); it must outlive the session.
  explicit MeasurementSession(ParameterFieldList& fields);

  // The first request: the registers of the parameter block that hold the
  // chart's bounds (0x1013, 3 registers), derived from the table.
  PolledRequest range_request() const;
  // Every later request: block 0x100, as many registers as the table reads.
  PolledRequest live_request() const;

  enum class Answer {
    kFailed,  // no data, or data that cannot be decoded: nothing changes
    kRange,   // the range answer: poll the live block from now on
    kLive,    // a live answer: values, chart and images updated
  };
  // One poll answer: the request's first register and the data received.
  Answer process(int address, std::span<const std::uint8_t> data);

  bool range_known() const { return range_known_; }
  bool live_seen() const { return live_seen_; }

  // The images of the last answers, as received (the parameter image is 38
  // zero bytes, then the 6 bytes of the range answer).
  const Image& parameters_image() const { return parameters_image_; }
  const Image& live_image() const { return live_image_; }
  Image chart_image() const;
  Sample sample() const;

  // The instrument's clock of the last live answer (or replayed sample).
  DateTime instrument_clock() const;
  ChartSeries& chart();

  // A replayed sample: the three records into the fields, the chart's points
  // and range from it. 0, or -1 when a record does not fit its block (the
  // fields then keep what they could take).
  int apply_sample(const Sample& sample);

  // The last-sphere date is shown only while the sphere count is not 0.
  void after_decode();

 private:
  ParameterField& field(int control_id);
  void take_range();

  ParameterFieldList& fields_;
  Image parameters_image_;
  Image live_image_;
  bool range_known_ = false;
  bool live_seen_ = false;
};

}  // namespace orvadw
