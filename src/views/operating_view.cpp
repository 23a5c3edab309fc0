#include "views/operating_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QStyle>
#include <QTimer>

#include "dialogs/export_records.h"
#include "dialogs/print_window.h"
#include "files/configuration.h"
#include "files/save_path.h"
#include "ui/button_icons.h"
#include "ui/control_takeover.h"
#include "ui/event_notify_target.h"
#include "ui/named_event.h"
#include "ui/named_message_registry.h"
#include "ui/notifying_button.h"

namespace orvadw {

namespace {

constexpr int kButtons[] = {OperatingView::kPrintButton,    OperatingView::kRecordButton,
                            OperatingView::kExportButton,   OperatingView::kFirstButton,
                            OperatingView::kPreviousButton, OperatingView::kNextButton,
                            OperatingView::kLastButton};

// The icons of the operating buttons, drawn from the style until the
// program has pictures of its own.
void register_icons() {
  static const bool done = [] {
    QStyle* style = QApplication::style();
    const std::pair<int, QStyle::StandardPixmap> icons[] = {
        {OperatingView::kPrintIcon, QStyle::SP_FileDialogDetailedView},
        {OperatingView::kRecordIcon, QStyle::SP_DialogSaveButton},
        {OperatingView::kRecordingIcon, QStyle::SP_MediaStop},
        {OperatingView::kExportIcon, QStyle::SP_FileDialogListView},
        {OperatingView::kFirstIcon, QStyle::SP_MediaSkipBackward},
        {OperatingView::kPreviousIcon, QStyle::SP_MediaSeekBackward},
        {OperatingView::kNextIcon, QStyle::SP_MediaSeekForward},
        {OperatingView::kLastIcon, QStyle::SP_MediaSkipForward},
    };
    for (const auto& [id, pixmap] : icons) ButtonIcons::add(id, style->standardIcon(pixmap));
    return true;
  }();
  (void)done;
}

}  // namespace

OperatingView::OperatingView(int template_id, JBusMaster* master, int file_kind, int start_mode,
                             const std::string& file_path, QWidget* parent,
                             const std::string& configuration_path)
    : CommunicatingDialog(template_id, master, file_kind, start_mode, parent, configuration_path),
      notify_(std::make_unique<EventNotifyTarget>(this)),
      file_mode_(start_mode == kModeFromFile) {
  if (file_mode_) {
    this->file_path() = file_path;
    const std::string folder = folder_of(file_path);
    if (!folder.empty()) Configuration::instance().set_last_folder(folder);
  }
}

OperatingView::~OperatingView() {
  stop_polling();
  notify_->detach();
}

void OperatingView::init_dialog() {
  CommunicatingDialog::init_dialog();
  register_icons();
  take_buttons();
  if (auto* box = findChild<QDialogButtonBox*>()) {
    connect(box, &QDialogButtonBox::rejected, this, &OperatingView::reject);
  }
  // The window first goes on screen; the start talks to the instrument or
  // reads the file, and may close the window again.
  QTimer::singleShot(0, this, [this] {
    if (closing_) return;
    start();
    started_ = true;
  });
}

void OperatingView::take_buttons() {
  for (int id : kButtons) take_over<NotifyingButton>(this, id, this, id);
  set_button_icon(kPrintButton, kPrintIcon);
  set_button_icon(kRecordButton, kRecordIcon);
  set_button_icon(kExportButton, kExportIcon);
  set_button_icon(kFirstButton, kFirstIcon);
  set_button_icon(kPreviousButton, kPreviousIcon);
  set_button_icon(kNextButton, kNextIcon);
  set_button_icon(kLastButton, kLastIcon);
  // Shown once there is something to print or record.
  show_button(kPrintButton, false);
  show_button(kRecordButton, false);
}

NotifyingButton* OperatingView::button(int control_id) const {
  return qobject_cast<NotifyingButton*>(find_control(this, control_id));
}

void OperatingView::show_button(int control_id, bool shown) {
  if (NotifyingButton* b = button(control_id)) b->setVisible(shown);
}

void OperatingView::enable_button(int control_id, bool enabled) {
  if (NotifyingButton* b = button(control_id)) b->setEnabled(enabled);
}

void OperatingView::set_button_icon(int control_id, int icon_id) {
  if (NotifyingButton* b = button(control_id)) b->set_icon(icon_id);
}

QString OperatingView::link_status() const {
  const ParameterField* field = fields().field(kLinkStatusControl);
  return field != nullptr ? QString::fromStdString(field->value_text()) : QString();
}

QString OperatingView::record_status() const {
  const ParameterField* field = fields().field(kRecordStatusControl);
  return field != nullptr ? QString::fromStdString(field->value_text()) : QString();
}

void OperatingView::set_link_status(int item) {
  if (ParameterField* field = fields().field(kLinkStatusControl)) field->set_integer(item);
}

void OperatingView::set_record_status(const std::string& text) {
  if (ParameterField* field = fields().field(kRecordStatusControl)) field->set_text(text);
}

bool OperatingView::polling() const {
  return master() != nullptr && master()->is_polling();
}

int OperatingView::start_polling(const PolledRequest& r, int period_ms) {
  if (master() == nullptr) return -1;
  const int rc = master()->start_polling(notify_.get(), jbus_number(), r.function, r.address,
                                         r.count, period_ms, r.bytes_per_item, {});
  if (rc == 0) polled_ = true;
  return rc;
}

void OperatingView::set_poll_request(const PolledRequest& r) {
  if (master() != nullptr)
    master()->set_poll_request(jbus_number(), r.function, r.address, r.count, {}, r.bytes_per_item);
}

void OperatingView::resume_polling() {
  if (master() != nullptr) master()->resume_polling();
}

void OperatingView::stop_polling() {
  // Only this view's own polling: the master may serve another window.
  if (master() != nullptr && polled_) master()->stop_polling();
  polled_ = false;
}

bool OperatingView::event(QEvent* event) {
  if (const NamedEvent* named = NamedEvent::as(event)) {
    if (named->type() == message_id(msg::kNewTrame)) {
      // The poll thread waits for resume_polling, so a second answer while
      // one is handled can only come from a stale queue: ignored.
      if (busy_ || closing_ || master() == nullptr) return true;
      busy_ = true;
      on_poll_answer(master()->poll_result());
      busy_ = false;
      return true;
    }
  }
  return CommunicatingDialog::event(event);
}

void OperatingView::on_button_click(int control, qint64) {
  switch (control) {
    case kPrintButton:
      print_view();
      break;
    case kExportButton:
      export_to_spreadsheet();
      break;
    case kRecordButton:
      on_record_button();
      break;
    case kFirstButton:
    case kPreviousButton:
    case kNextButton:
    case kLastButton:
      on_navigation(control);
      break;
    default:
      break;
  }
}

void OperatingView::print_view() {
  print_window(*this, true);
}

void OperatingView::export_to_spreadsheet() {
  export_records(*this);
}

int OperatingView::open_file(int& record_count) {
  FileHeader header;
  if (read_identification(file_path(), header) != 0) return -1;
  set_title_suffix(QStringLiteral(" (%1 - %2)")
                       .arg(QString::fromStdString(header.save_time.format_date()),
                            QString::fromStdString(header.save_time.format_time())));
  if (ParameterField* field = fields().field(kLinkStatusControl)) field->set_text({});
  record_count = header.record_count;
  return 0;
}

int OperatingView::connect_instrument() {
  show_progress(true);
  const int rc = read_identification_block();
  return rc;
}

void OperatingView::close_soon(int result) {
  if (closing_) return;
  closing_ = true;
  stop_polling();
  QTimer::singleShot(0, this, [this, result] { done(result); });
}

void OperatingView::done(int result) {
  // Polling ends with the view, whatever closes it.
  stop_polling();
  closing_ = true;
  CommunicatingDialog::done(result);
}

}  // namespace orvadw
