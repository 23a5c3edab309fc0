#include "views/logger_view.h"

#include <QFileInfo>

#include "files/configuration.h"
#include "files/file_error.h"
#include "files/file_kind.h"
#include "ui/dialog_template_registry.h"
#include "params/window_table.h"
#include "ui_template_120.h"

namespace orvadw {

namespace {
const bool template_registered = [] {
  DialogTemplateRegistry::add(LoggerView::kTemplateId, [](QWidget* target) {
    Ui::Template120 form;
    form.setupUi(target);
  });
  return true;
}();
}  // namespace

LoggerView::LoggerView(JBusMaster* master, int start_mode, const std::string& file_path,
                       QWidget* parent, const std::string& configuration_path)
    : OperatingView(kTemplateId, master, kLoggerFileKind, start_mode, file_path, parent,
                    configuration_path.empty() ? Configuration::instance().configuration_path()
                                               : configuration_path) {
  (void)template_registered;
  add_fields(logger_window(language()).descriptors);
  table_ = std::make_unique<LoggerTable>(fields());
  set_title_id(kTitleTextId);
}

LoggerView::~LoggerView() { stop_polling(); }

void LoggerView::start() {
  for (int b : {kPreviousButton, kNextButton, kFirstButton, kLastButton}) show_button(b, false);
  set_link_status(kLinkOk);
  if (file_mode()) {
    int records = 0;
    if (open_file(records) != 0) {
      close_soon(Rejected);
      return;
    }
    // Each row keeps the bytes it was read from; a save writes them back.
    table_->load(records, [this](int index, std::vector<std::uint8_t>& bytes) {
      return file_session().load_record(file_path(), index, fields().block_words(block::kLoggerEntry), bytes);
    });
    show_button(kPrintButton, true);
    return;
  }
  show_button(kExportButton, false);
  if (master() == nullptr || connect_instrument() != 0) {
    close_soon(Rejected);
    return;
  }
  download_ = std::make_unique<LoggerDownload>(*table_, LoggerDownload::Clock::now());
  if (start_polling(download_->request(), kPollPeriodMs) != 0) {
    show_progress(false);
    close_soon(Rejected);
  }
}

void LoggerView::on_poll_answer(const JBusMaster::PollRequest& answer) {
  if (!download_) return;
  const LoggerDownload::Step step = download_->on_answer(answer.data, LoggerDownload::Clock::now());
  switch (step) {
    case LoggerDownload::Step::kRetry:
      set_link_status(kLinkFailure);
      resume_polling();
      return;
    case LoggerDownload::Step::kNext:
      show_progress(false);
      set_link_status(kLinkOk);
      set_poll_request(download_->request());
      resume_polling();
      return;
    case LoggerDownload::Step::kEnded:
      download_over(true);
      return;
    case LoggerDownload::Step::kGaveUp:
    case LoggerDownload::Step::kUndecodable:
      download_over(false);
      return;
  }
}

void LoggerView::download_over(bool complete) {
  stop_polling();
  show_progress(false);
  if (complete) {
    set_link_status(kLinkOk);
    show_button(kRecordButton, true);
    show_button(kPrintButton, true);
    return;
  }
  show_error(kNoAnswerTextId, kErrorCaptionId);
  if (table_->entry_count() == 0) {
    close_soon(Rejected);
    return;
  }
  // What came before the line died is the only copy of it: keep it to save.
  set_link_status(kLinkFailure);
  show_button(kRecordButton, true);
  show_button(kPrintButton, true);
}

void LoggerView::reject() {
  if (downloading()) {
    stop_polling();
    show_progress(false);
  }
  OperatingView::reject();
}

void LoggerView::on_record_button() { save(); }

void LoggerView::save() {
  build_header_text();
  const std::optional<std::string> path = choose_save_path(default_extension(), file_filter(), {});
  if (!path) return;
  const LoggerTable::SaveResult result = table_->save(*path, header_text(), DateTime::now(), language());
  // One box, for the first record that failed; the others were still tried.
  if (!result.errors.empty()) show_error_text(QString::fromStdString(result.errors.front()), kErrorCaptionId);
  if (!result.created) return;
  file_path() = *path;
  set_document_name(QFileInfo(QString::fromStdString(*path)).fileName());
  show_button(kExportButton, true);
}

}  // namespace orvadw
