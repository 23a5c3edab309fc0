#pragma once
// The download of the instrument's event log, one entry per request on the
// poll thread, as the logger view and `orvadw-cli logger` both run it:
// function 4, start = entry index, one entry of 16 bytes. Each answer fills
// the next table row; the log ends with the first entry whose obturation
// time is 0, or when the table's 20 rows are full (later entries are never
// asked for). A failed read asks for the same entry again, but a line that
// has given nothing for kGiveUpAfter is given up: the user is never left
// waiting on a dead cable.
#include <chrono>
#include <cstdint>
#include <span>

#include "files/logger_table.h"
#include "params/polled_request.h"

namespace orvadw {

class LoggerDownload {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int kFunction = 4;
  static constexpr int kCount = 1;
  static constexpr int kBytesPerItem = 16;
  static constexpr std::chrono::milliseconds kGiveUpAfter{5000};

  // table: where the rows go (reset here); started: when the first request
  // goes out.
  LoggerDownload(LoggerTable& table, Clock::time_point started);

  // The request for the entry being read.
  PolledRequest request() const;
  int entry_index() const { return entry_index_; }
  bool finished() const { return finished_; }

  enum class Step {
    kRetry,        // nothing came: ask for the same entry again
    kNext,         // a row was filled: ask for the next entry
    kEnded,        // the log is complete (end mark or 20 rows): stop polling
    kUndecodable,  // the answer cannot be an entry
    kGaveUp,       // nothing good for kGiveUpAfter: stop polling, say so
  };
  // One poll answer (empty when the read failed), at time now.
  Step on_answer(std::span<const std::uint8_t> data, Clock::time_point now);

 private:
  LoggerTable& table_;
  int entry_index_ = 0;
  bool finished_ = false;
  Clock::time_point last_good_;
};

}  // namespace orvadw
