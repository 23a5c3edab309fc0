#include "views/measurement_view.h"

#include <QFileInfo>
#include <QWidget>

#include "files/configuration.h"
#include "files/file_error.h"
#include "files/file_kind.h"
#include "link/link_recovery.h"
#include "ui/curve_chart.h"
#include "ui/dialog_template_registry.h"
#include "ui/notifying_button.h"
#include "ui_template_121.h"

namespace orvadw {

namespace {

const bool template_registered = [] {
  DialogTemplateRegistry::add(MeasurementView::kTemplateId, [](QWidget* target) {
    Ui::Template121 form;
    form.setupUi(target);
  });
  return true;
}();

// Cleared at start-up: nothing is known of the instrument yet.
constexpr int kModelControl = 1236;
constexpr int kBoardControl = 1254;

}  // namespace

MeasurementView::MeasurementView(JBusMaster* master, int start_mode, const std::string& file_path,
                                 QWidget* parent, const std::string& configuration_path)
    : OperatingView(kTemplateId, master, kMeasurementFileKind, start_mode, file_path, parent,
                    configuration_path.empty() ? Configuration::instance().configuration_path()
                                               : configuration_path),
      recorder_(read_recording_settings(settings()), language()) {
  (void)template_registered;
  CurveChart::install();
  add_fields(measurement_window(language()).descriptors);
  session_ = std::make_unique<MeasurementSession>(fields());
  set_title_id(kTitleTextId);
  if (master != nullptr) recovery_ = std::make_unique<LinkRecovery>(*master, port_number(), baud_index());
}

MeasurementView::~MeasurementView() {
  stop_polling();
  recorder_.stop();
}

int MeasurementView::reopen_tries() const { return recovery_ ? recovery_->tries() : 0; }

void MeasurementView::start() {
  for (int control : {kModelControl, kBoardControl, MeasurementSession::kFaultControl}) {
    if (ParameterField* field = fields().field(control)) field->set_text({});
  }
  if (file_mode()) {
    start_file_mode();
  } else {
    start_instrument_mode();
  }
}

void MeasurementView::start_file_mode() {
  int records = 0;
  if (open_file(records) != 0) {
    close_soon(Rejected);
    return;
  }
  navigator_ = SampleNavigator(records);
  if (navigator_.sample_count() == 0 || show_sample(0) != 0) {
    show_error(kIncorrectFileTextId, kErrorCaptionId);
    close_soon(Rejected);
    return;
  }
  show_button(kPrintButton, true);
}

void MeasurementView::start_instrument_mode() {
  for (int b : {kExportButton, kPreviousButton, kNextButton, kFirstButton, kLastButton}) show_button(b, false);
  if (master() == nullptr || connect_instrument() != 0) {
    close_soon(Rejected);
    return;
  }
  show_progress(false);
  if (start_polling(session_->range_request(), kPollPeriodMs) != 0) {
    close_soon(Rejected);
    return;
  }
}

int MeasurementView::show_sample(int sample) {
  if (!navigator_.go(sample)) return -1;
  MeasurementSession::Sample records;
  for (int k = 0; k < MeasurementRecorder::kRecordsPerSample; ++k) {
    const int block = MeasurementSession::kSampleBlocks[static_cast<std::size_t>(k)];
    if (file_session().load_record(file_path(), SampleNavigator::first_record(sample) + k,
                                   fields().block_words(block), records[static_cast<std::size_t>(k)]) != 0) {
      return -1;
    }
  }
  if (session_->apply_sample(records) != 0) return -1;
  set_record_status(navigator_.status_text(language()));
  enable_button(kFirstButton, navigator_.first() >= 0);
  enable_button(kPreviousButton, navigator_.previous() >= 0);
  enable_button(kNextButton, navigator_.next() >= 0);
  enable_button(kLastButton, navigator_.last() >= 0);
  // The focus stays on a button that can still be used.
  if (navigator_.next() < 0) {
    if (NotifyingButton* b = button(kPreviousButton)) b->setFocus();
  } else if (navigator_.previous() < 0) {
    if (NotifyingButton* b = button(kNextButton)) b->setFocus();
  }
  return 0;
}

void MeasurementView::on_navigation(int control) {
  if (!file_mode()) return;
  int target = -1;
  switch (control) {
    case kFirstButton: target = navigator_.first(); break;
    case kPreviousButton: target = navigator_.previous(); break;
    case kNextButton: target = navigator_.next(); break;
    case kLastButton: target = navigator_.last(); break;
    default: break;
  }
  if (target >= 0 && show_sample(target) != 0) show_error(kIncorrectFileTextId, kErrorCaptionId);
}

void MeasurementView::on_poll_answer(const JBusMaster::PollRequest& answer) {
  const MeasurementSession::Answer result = session_->process(answer.address, answer.data);
  if (result == MeasurementSession::Answer::kRange) set_poll_request(session_->live_request());
  if (result != MeasurementSession::Answer::kFailed) {
    show_button(kPrintButton, true);
    show_button(kRecordButton, true);
    recording_step();
    set_link_status(kLinkOk);
  } else {
    if (link_status().isEmpty()) set_link_status(kLinkFailure);
    recover_line(answer.last_result);
  }
  resume_polling();
}

void MeasurementView::recover_line(int poll_result) {
  if (!recovery_ || Configuration::instance().use_modem()) return;
  // The poll thread waits for this handler, so the line is free to reopen;
  // at most one try a second, the failed polls in between cost nothing.
  recovery_->after_failed_poll(poll_result);
}

void MeasurementView::recording_step() {
  // The first answer holds only the range: a sample needs live values.
  if (!session_->live_seen()) return;
  if (recorder_.state() == MeasurementRecorder::State::kStartRequested) {
    file_path().clear();
    build_header_text();
    const std::optional<std::string> path = choose_save_path(default_extension(), file_filter(), {});
    if (!path) {
      recorder_.cancel_start();
      return;
    }
    if (recorder_.start(*path, header_text(), DateTime::now()) != 0) {
      show_error_text(QString::fromStdString(recorder_.error_message()), kErrorCaptionId);
      return;
    }
    set_document_name(QFileInfo(QString::fromStdString(*path)).fileName());
    set_button_icon(kRecordButton, kRecordingIcon);
    // This answer came before the save dialog, which may have stayed open a
    // while: the first sample is the next answer, taken after the start.
    return;
  }
  if (!recorder_.recording()) return;
  const MeasurementRecorder::StepResult step = recorder_.step(session_->instrument_clock(), session_->sample());
  if (step.wrote) set_record_status(recorder_.status_text());
  if (step.failed && step.first_failure) {
    show_error_text(QString::fromStdString(recorder_.error_message()), kErrorCaptionId);
  }
  if (step.stopped) end_recording();
}

void MeasurementView::on_record_button() {
  if (file_mode()) return;
  const bool was_recording = recorder_.recording();
  recorder_.press();
  if (was_recording) end_recording();
}

void MeasurementView::end_recording() {
  recorder_.stop();
  set_button_icon(kRecordButton, kRecordIcon);
  set_document_name({});
  set_record_status({});
}

void MeasurementView::done(int result) {
  stop_polling();
  // A recording stops with the view; every whole sample is already on disk.
  recorder_.stop();
  OperatingView::done(result);
}

}  // namespace orvadw
