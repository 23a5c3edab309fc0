#include "params/measurement_session.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "params/chart_series.h"
#include "params/value_codec.h"

namespace orvadw {

namespace {
constexpr int kReadFunction = 3;
constexpr int kBytesPerItem = 2;
}  // namespace

MeasurementSession::MeasurementSession(ParameterFieldList& fields) : fields_(fields) {
  parameters_image_.assign(static_cast<std::size_t>(2 * fields_.block_words(block::kParameters)),
                           0);
  live_image_.assign(static_cast<std::size_t>(2 * fields_.block_words(block::kMeasure)), 0);
}

ParameterField& MeasurementSession::field(int control_id) {
  ParameterField* f = fields_.field(control_id);
  // The table is the program's own: a missing row is a programming error.
  if (f == nullptr) std::abort();
  return *f;
}

ChartSeries& MeasurementSession::chart() {
  ChartSeries* series = field(kChartControl).chart();
  if (series == nullptr) std::abort();
  return *series;
}

PolledRequest MeasurementSession::range_request() const {
  // From the fields of the parameter block this window reads: the register
  // holding the lowest byte, up to the register holding the last one.
  int lowest = INT_MAX;
  for (int position : fields_.block_fields(block::kParameters)) {
    lowest =
        std::min(lowest, fields_.at(static_cast<std::size_t>(position)).descriptor().byte_offset);
  }
  if (lowest == INT_MAX) lowest = 0;
  const int first = lowest > 0 ? (lowest - 1) / 2 : 0;
  const int end = fields_.block_words(block::kParameters);
  return {kReadFunction, block::kParameters + first, end - first, kBytesPerItem};
}

PolledRequest MeasurementSession::live_request() const {
  return {kReadFunction, block::kMeasure, fields_.block_words(block::kMeasure), kBytesPerItem};
}

MeasurementSession::Answer MeasurementSession::process(int address,
                                                       std::span<const std::uint8_t> data) {
  if (data.empty()) return Answer::kFailed;
  const PolledRequest range = range_request();
  if (address == range.address) {
    // Byte k of the result is byte k of the parameter block.
    Image image(static_cast<std::size_t>(2 * (range.address - block::kParameters)), 0);
    image.insert(image.end(), data.begin(), data.end());
    if (fields_.decode(block::kParameters, image) != 0) return Answer::kFailed;
    image.resize(std::max(image.size(), parameters_image_.size()), 0);
    parameters_image_ = std::move(image);
    take_range();
    range_known_ = true;
    return Answer::kRange;
  }
  if (address != block::kMeasure) return Answer::kFailed;
  if (fields_.decode(block::kMeasure, data) != 0) return Answer::kFailed;
  live_image_.assign(data.begin(), data.end());
  live_seen_ = true;
  after_decode();
  field(kChartControl).set_number(field(kSpeedControl).number(), ChangeOrigin::kDecode);
  return Answer::kLive;
}

void MeasurementSession::take_range() {
  field(kChartControl)
      .set_chart_range(field(kLowSpeedControl).number(), field(kHighSpeedControl).number());
}

MeasurementSession::Image MeasurementSession::chart_image() const {
  const ChartSeries* series = fields_.field(kChartControl)->chart();
  Image image = series->to_bytes();
  // The local block is as long as the table says, whatever the points.
  image.resize(static_cast<std::size_t>(2 * fields_.block_words(block::kChartPoints)), 0);
  return image;
}

MeasurementSession::Sample MeasurementSession::sample() const {
  return {parameters_image_, live_image_, chart_image()};
}

DateTime MeasurementSession::instrument_clock() const {
  const ParameterField* clock = fields_.field(kClockControl);
  return ValueCodec::date_from_raw(clock->descriptor().value_type, clock->raw_date());
}

void MeasurementSession::after_decode() {
  ParameterField& date = field(kSphereDateControl);
  const bool shown = field(kSphereCountControl).number() != 0;
  if (date.is_shown() != shown) date.show(shown);
}

int MeasurementSession::apply_sample(const Sample& sample) {
  int rc = 0;
  for (std::size_t k = 0; k < sample.size(); ++k) {
    const int block = kSampleBlocks[k];
    if (block == block::kChartPoints) {
      if (chart().from_bytes(sample[k]) != 0) rc = -1;
    } else if (fields_.decode(block, sample[k]) != 0) {
      rc = -1;
    }
  }
  if (sample[0].size() >= parameters_image_.size()) parameters_image_ = sample[0];
  if (sample[1].size() >= live_image_.size()) live_image_ = sample[1];
  after_decode();
  take_range();
  return rc;
}

}  // namespace orvadw
