#pragma once
// The logger view (template 120): downloads the instrument's event log one
// entry per poll into a 20-row table, saves it as a logger file from the
// bytes received, and shows a saved logger file again. A download that gets
// no answer for a few seconds is given up with a message, and the user may
// close the view at any time, please-wait window or not. The download and
// the table live below Qt (LoggerDownload, LoggerTable).
#include <memory>
#include <string>

#include "files/logger_download.h"
#include "files/logger_table.h"
#include "views/operating_view.h"

namespace orvadw {

class LoggerView : public OperatingView {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 120;
  static constexpr int kTitleTextId = 208;
  static constexpr int kPollPeriodMs = 0;  // the next entry at once

  LoggerView(JBusMaster* master, int start_mode, const std::string& file_path = {},
             QWidget* parent = nullptr, const std::string& configuration_path = {});
  ~LoggerView() override;

  LoggerTable& table() { return *table_; }
  // The download in progress or done (instrument mode), else null.
  const LoggerDownload* download() const { return download_.get(); }
  bool downloading() const { return download_ && !download_->finished(); }

  // Cancel, Escape and the close box end a download too: a dead line must
  // never hold the user in this window.
  void reject() override;

 protected:
  void start() override;
  void on_poll_answer(const JBusMaster::PollRequest& answer) override;
  void on_record_button() override;

 private:
  void download_over(bool complete);
  void save();

  std::unique_ptr<LoggerTable> table_;
  std::unique_ptr<LoggerDownload> download_;
};

}  // namespace orvadw
