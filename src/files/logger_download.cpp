#include "files/logger_download.h"

namespace orvadw {

LoggerDownload::LoggerDownload(LoggerTable& table, Clock::time_point started)
    : table_(table), last_good_(started) {
  table_.reset();
}

PolledRequest LoggerDownload::request() const {
  return {kFunction, entry_index_, kCount, kBytesPerItem};
}

LoggerDownload::Step LoggerDownload::on_answer(std::span<const std::uint8_t> data,
                                               Clock::time_point now) {
  if (finished_) return Step::kEnded;
  if (data.empty()) {
    if (now - last_good_ >= kGiveUpAfter) {
      finished_ = true;
      return Step::kGaveUp;
    }
    return Step::kRetry;
  }
  last_good_ = now;
  switch (table_.fill(entry_index_ + 1, data)) {
    case LoggerTable::Fill::kUndecodable:
      finished_ = true;
      return Step::kUndecodable;
    case LoggerTable::Fill::kEnd:
      finished_ = true;
      return Step::kEnded;
    case LoggerTable::Fill::kFilled:
      break;
  }
  if (entry_index_ + 1 >= LoggerTable::kMaxEntries) {
    finished_ = true;
    return Step::kEnded;
  }
  ++entry_index_;
  return Step::kNext;
}

}  // namespace orvadw
