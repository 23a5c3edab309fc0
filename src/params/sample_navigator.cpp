#include "params/sample_navigator.h"

#include <algorithm>

#include "base/c_locale.h"
#include "base/text_table.h"

namespace orvadw {

namespace {
constexpr int kRecordText = 63;
}

SampleNavigator::SampleNavigator(int record_count)
    : sample_count_(std::max(record_count, 0) / kRecordsPerSample) {}

int SampleNavigator::first() const { return current_ > 0 ? 0 : -1; }
int SampleNavigator::previous() const { return current_ > 0 ? current_ - 1 : -1; }
int SampleNavigator::next() const {
  return current_ >= 0 && current_ + 1 < sample_count_ ? current_ + 1 : -1;
}
int SampleNavigator::last() const { return next() >= 0 ? sample_count_ - 1 : -1; }

bool SampleNavigator::go(int sample) {
  if (sample < 0 || sample >= sample_count_) return false;
  current_ = sample;
  return true;
}

std::string SampleNavigator::status_text(int language) const {
  return text_of(kRecordText, language) + " " + c_format("%d / %d", current_ + 1, sample_count_);
}

}  // namespace orvadw
