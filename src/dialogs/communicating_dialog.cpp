#include "dialogs/communicating_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <functional>

#include "base/program_identity.h"
#include "files/configuration.h"
#include "files/file_error.h"
#include "files/link_settings.h"
#include "files/save_path.h"
#include "link/block_transfer.h"
#include "link/jbus_master.h"
#include "params/firmware_check.h"
#include "params/window_table.h"
#include "ui/dialog_template_registry.h"
#include "ui/field_binder.h"
#include "ui/file_dialog_service.h"
#include "ui/message_service.h"
#include "ui/named_event.h"
#include "ui/named_message_registry.h"
#include "ui/number_field.h"

namespace orvadw {

namespace {

// The please-wait window is painted at most this often while a transaction
// waits; the link asks about every 15 ms.
constexpr qint64 kRepaintPeriodMs = 40;
// How long showing the please-wait window waits for the window system to
// put it on screen before the caller blocks the thread.
constexpr int kExposeWaitMs = 250;

}  // namespace

CommunicatingDialog::CommunicatingDialog(int template_id, JBusMaster* master, int file_kind,
                                         int start_mode, QWidget* parent)
    : DialogRoot(template_id, parent), master_(master) {
  construct(file_kind, start_mode);
}

CommunicatingDialog::CommunicatingDialog(int template_id, JBusMaster* master, int file_kind,
                                         int start_mode, QWidget* parent,
                                         const std::string& configuration_path)
    : DialogRoot(template_id, parent, configuration_path), master_(master) {
  construct(file_kind, start_mode);
}

void CommunicatingDialog::construct(int file_kind, int start_mode) {
  start_mode_ = start_mode;
  session_.set_language(language());
  session_.set_file_kind(file_kind);

  const LinkSettings link = read_link_settings(settings());
  port_number_ = link.port_number;
  baud_index_ = link.baud_index;
  jbus_number_ = link.jbus_number;

  fields_ = std::make_unique<ParameterFieldList>(language(), 0);
  add_fields(identification_table());

  FileServiceHooks hooks;
  hooks.show_error = [this](const std::string& message, int caption_id) {
    show_error_text(QString::fromStdString(message), caption_id);
  };
  hooks.choose_save_path = [this]() {
    return choose_save_path(default_extension(), file_filter(), {});
  };
  hooks.choose_open_path = [this]() { return choose_open_path(file_filter()); };
  hooks.check_firmware = [this](const std::string& version) { return check_firmware(version); };
  hooks.apply_identification = [this](const FileHeader& header) { apply_identification(header); };
  session_.set_hooks(std::move(hooks));
}

CommunicatingDialog::~CommunicatingDialog() {
  log_file_.close();
  session_.close_file();
  binder_.reset();
  pages_.clear();
}

void CommunicatingDialog::set_timeouts(int read_ms, int write_ms) {
  read_timeout_ms_ = read_ms;
  write_timeout_ms_ = write_ms;
}

// ---------------------------------------------------------------------------
// Parameter set and pages

int CommunicatingDialog::add_fields(const std::vector<ParameterDescriptor>& table) {
  int failed = 0;
  for (const ParameterDescriptor& row : table) {
    if (fields_->add(row) < 0) ++failed;
  }
  fields_->normalise();
  fields_->commit();
  if (binder_) bind_fields();
  return failed;
}

void CommunicatingDialog::bind_fields() {
  const std::size_t known = binder_->missing_controls().size();
  if (binder_->bind_all() == 0) return;
  // A field without its control keeps its value but cannot show it: say
  // which, loudly, instead of losing it on screen.
  QStringList names;
  const auto& missing = binder_->missing_controls();
  for (std::size_t i = known; i < missing.size(); ++i) names << control_name(missing[i]);
  qCritical("%s (template %d): no control for %s", metaObject()->className(), template_id(),
            qPrintable(names.join(QLatin1String(", "))));
}

const std::vector<int>& CommunicatingDialog::unbound_controls() const {
  static const std::vector<int> none;
  return binder_ ? binder_->missing_controls() : none;
}

void CommunicatingDialog::finish_editing() {
  if (auto* field = qobject_cast<NumberField*>(focusWidget())) field->finish_pending_edit();
}

ParameterField* CommunicatingDialog::identification_field(int control_id) {
  for (ParameterField& field : *fields_) {
    if (field.descriptor().control_id == control_id &&
        field.descriptor().block_address == block::kIdentification) {
      return &field;
    }
  }
  return nullptr;
}

std::string CommunicatingDialog::identification_text(int control_id) const {
  const ParameterField* field =
      const_cast<CommunicatingDialog*>(this)->identification_field(control_id);
  return field != nullptr ? field->value_text() : std::string();
}

int CommunicatingDialog::add_page(int template_id, int title_text_id) {
  // The pages become tabs when the window is created; later ones would have
  // no place.
  if (initialised()) return -1;
  pages_.push_back({template_id, title_text_id});
  return fields_->add_page();
}

void CommunicatingDialog::create_pages() {
  if (pages_.empty()) return;
  tabs_ = findChild<QTabWidget*>();
  if (tabs_.isNull()) {
    auto* tabs = new QTabWidget(this);
    if (layout() == nullptr) new QVBoxLayout(this);
    layout()->addWidget(tabs);
    tabs_ = tabs;
  }
  std::vector<QWidget*> page_widgets;
  for (const Page& page : pages_) {
    auto* widget = new QWidget;
    DialogTemplateRegistry::apply(page.template_id, widget);
    tabs_->addTab(widget, text_of(page.title_text_id));
    page_widgets.push_back(widget);
  }
  binder_->set_pages(std::move(page_widgets));
}

void CommunicatingDialog::init_dialog() {
  DialogRoot::init_dialog();
  binder_ = std::make_unique<FieldBinder>(*fields_, this, this);
  create_pages();
  bind_fields();
}

// ---------------------------------------------------------------------------
// Messages, keys and closing

bool CommunicatingDialog::event(QEvent* event) {
  if (const NamedEvent* named = NamedEvent::as(event)) {
    const int type = named->type();
    const int control = static_cast<int>(named->wparam());
    if (type == message_id(msg::kEditLostFocus)) {
      on_edit_done();
      return true;
    }
    if (type == message_id(msg::kComboSelEndOk)) {
      on_combo_done(control, named->lparam());
      return true;
    }
    if (type == message_id(msg::kButtonClick)) {
      finish_editing();
      on_button_click(control, named->lparam());
      return true;
    }
    if (type == message_id(msg::kButtonKillFocus)) {
      on_button_focus_lost(control, named->lparam());
      return true;
    }
    if (type == message_id(msg::kButtonDoubleClick)) return true;
  }
  return DialogRoot::event(event);
}

void CommunicatingDialog::closeEvent(QCloseEvent* event) {
  finish_editing();
  on_edit_done();
  // The platform's close rejects the dialog, which the please-wait window
  // refuses; the event is then ignored.
  DialogRoot::closeEvent(event);
}

void CommunicatingDialog::reject() {
  if (progress_shown()) return;
  DialogRoot::reject();
}

bool CommunicatingDialog::focusNextPrevChild(bool next) {
  if (binder_ && binder_->focus_next(!next)) return true;
  return DialogRoot::focusNextPrevChild(next);
}

bool CommunicatingDialog::eventFilter(QObject* watched, QEvent* event) {
  // The please-wait window goes when the transfer ends, not by its close box.
  if (watched == progress_.data() && event->type() == QEvent::Close) {
    event->ignore();
    return true;
  }
  return DialogRoot::eventFilter(watched, event);
}

int CommunicatingDialog::on_edit_done() { return 0; }

int CommunicatingDialog::store_answer(int address, std::span<const std::uint8_t> bytes) {
  return fields_->decode(address, bytes) != 0 ? -1 : 0;
}

void CommunicatingDialog::on_button_click(int, qint64) {}

void CommunicatingDialog::on_button_focus_lost(int, qint64) {}

void CommunicatingDialog::on_combo_done(int, qint64) { on_edit_done(); }

// ---------------------------------------------------------------------------
// Please-wait window

void CommunicatingDialog::show_progress(bool on) {
  if (!on) {
    if (progress_.isNull()) return;
    QWidget* window = progress_.data();
    progress_ = nullptr;
    window->hide();
    // It may be in one of its own handlers: let it go when control returns.
    window->deleteLater();
    activateWindow();
    // Back to the field the user was in, not to the dialog as a whole.
    QWidget* back = focus_before_progress_.data();
    focus_before_progress_ = nullptr;
    if (back != nullptr && back->isVisible() && back->isEnabled() && isAncestorOf(back)) {
      back->setFocus(Qt::OtherFocusReason);
    } else {
      setFocus();
    }
    return;
  }
  if (!progress_.isNull()) return;
  focus_before_progress_ = focusWidget();

  auto* window = new QWidget(this, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  if (!DialogTemplateRegistry::apply(kPleaseWaitTemplate, window)) {
    auto* layout = new QVBoxLayout(window);
    auto* label = new QLabel(window);
    label->setObjectName(control_name(kPleaseWaitTextControl));
    auto* bar = new QProgressBar(window);
    bar->setObjectName(control_name(kPleaseWaitProgressControl));
    layout->addWidget(label);
    layout->addWidget(bar);
  }
  progress_label_ = qobject_cast<QLabel*>(find_control(window, kPleaseWaitTextControl));
  progress_bar_ = qobject_cast<QProgressBar*>(find_control(window, kPleaseWaitProgressControl));
  if (progress_label_) progress_label_->setText(text_of(kPleaseWaitTextId));
  window->setWindowTitle(windowTitle());
  window->installEventFilter(this);
  progress_ = window;
  place_progress(window);
  window->show();

  // Let the window system put it on screen: the transfer that follows keeps
  // this thread busy.
  QElapsedTimer waited;
  waited.start();
  while (!progress_.isNull() && progress_->windowHandle() != nullptr &&
         !progress_->windowHandle()->isExposed() && waited.elapsed() < kExposeWaitMs) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
  }
  repaint_progress();
}

// Over the middle of the dialog (or of the window that opened it, when the
// dialog is not on screen yet), kept on that screen.
void CommunicatingDialog::place_progress(QWidget* window) {
  window->adjustSize();
  QRect over;
  if (isVisible()) {
    over = frameGeometry();
  } else if (QWidget* opener = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
             opener != nullptr && opener->isVisible()) {
    over = opener->frameGeometry();
  } else if (QScreen* screen =
                 this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen()) {
    over = screen->availableGeometry();
  }
  if (!over.isValid()) return;
  QRect placed(QPoint(0, 0), window->frameGeometry().size().expandedTo(window->size()));
  placed.moveCenter(over.center());
  if (QScreen* screen = QGuiApplication::screenAt(over.center())) {
    const QRect area = screen->availableGeometry();
    placed.moveLeft(std::clamp(placed.left(), area.left(),
                               std::max(area.left(), area.right() - placed.width())));
    placed.moveTop(std::clamp(placed.top(), area.top(),
                              std::max(area.top(), area.bottom() - placed.height())));
  }
  window->move(placed.topLeft());
}

void CommunicatingDialog::repaint_progress() {
  if (progress_.isNull() || !progress_->isVisible()) return;
  progress_->repaint();
}

void CommunicatingDialog::set_progress(int value) {
  if (progress_bar_.isNull() || progress_.isNull()) return;
  progress_bar_->setValue(value);
  repaint_progress();
}

void CommunicatingDialog::set_progress_range(int maximum) {
  if (progress_bar_.isNull() || progress_.isNull()) return;
  progress_bar_->setRange(0, maximum < 0 ? 0 : maximum);
  progress_bar_->setValue(0);
  repaint_progress();
}

void CommunicatingDialog::step_progress(int amount) {
  if (progress_bar_.isNull() || progress_.isNull()) return;
  const int next = progress_bar_->value() + amount;
  progress_bar_->setValue(next > progress_bar_->maximum() ? progress_bar_->maximum() : next);
  repaint_progress();
}

void CommunicatingDialog::set_progress_text(const QString& text) {
  if (progress_label_.isNull() || progress_.isNull()) return;
  progress_label_->setText(text);
  repaint_progress();
}

int CommunicatingDialog::progress_value() const {
  if (progress_bar_.isNull() || progress_.isNull()) return -1;
  return progress_bar_->value();
}

// ---------------------------------------------------------------------------
// Transfers

namespace {

// One transfer's view of the link: the window's settings and the program's
// modem state, the flag written back when the modem connection was made.
class WindowTransfer {
 public:
  WindowTransfer(JBusMaster& master, int port, int baud, int jbus, int read_ms, int write_ms,
                 std::function<void()> idle)
      : transfer_(master, port, baud, jbus),
        modem_connected_(Configuration::instance().modem_connected()) {
    transfer_.set_timeouts(read_ms, write_ms);
    transfer_.set_modem(Configuration::instance().use_modem(), &modem_connected_);
    transfer_.set_idle_hook(std::move(idle));
  }
  ~WindowTransfer() { Configuration::instance().set_modem_connected(modem_connected_); }
  WindowTransfer(const WindowTransfer&) = delete;
  WindowTransfer& operator=(const WindowTransfer&) = delete;

  BlockTransfer& operator*() { return transfer_; }
  BlockTransfer* operator->() { return &transfer_; }

 private:
  BlockTransfer transfer_;
  bool modem_connected_;
};

// The idle hook of a transfer (the link runs it about every 15 ms while an
// answer is awaited): the window thread serves its timers, paints and
// window-system events meanwhile, so a read at 9600 baud never holds it for
// the whole transaction; the person's input waits until the transfer ends
// (a second transaction would only be refused as busy). The please-wait
// window is repainted at most once a repaint period on top.
std::function<void()> throttled(std::function<void()> repaint) {
  QElapsedTimer painted;
  painted.start();
  return [painted, repaint = std::move(repaint)]() mutable {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (painted.elapsed() < kRepaintPeriodMs) return;
    painted.restart();
    repaint();
  };
}

}  // namespace

int CommunicatingDialog::read_registers(int address, int count) {
  if (master_ == nullptr) {
    // Nothing to talk through: as good as a port that does not open.
    if (BlockTransfer::skip_first_read(start_mode_)) return 0;
    show_progress(false);
    show_error(kCannotOpenPortTextId, kCautionCaptionId);
    return -1;
  }
  Bytes data;
  BlockTransfer::ReadStatus status;
  {
    WindowTransfer transfer(*master_, port_number_, baud_index_, jbus_number_, read_timeout_ms_,
                            write_timeout_ms_, throttled([this] { repaint_progress(); }));
    status = transfer->read(address, count, data, start_mode_);
  }
  switch (status) {
    case BlockTransfer::ReadStatus::kSkipped:
      return 0;
    case BlockTransfer::ReadStatus::kConnectFailed:
      show_progress(false);
      show_error(kCannotOpenPortTextId, kCautionCaptionId);
      return -1;
    case BlockTransfer::ReadStatus::kNoAnswer:
      show_progress(false);
      show_error(kNoAnswerTextId, kErrorCaptionId);
      return -1;
    case BlockTransfer::ReadStatus::kRead:
      break;
  }
  return store_answer(address, data) != 0 ? -1 : 0;
}

int CommunicatingDialog::write_registers(int address, const Bytes& bytes) {
  if (master_ == nullptr) return 500;
  WindowTransfer transfer(*master_, port_number_, baud_index_, jbus_number_, read_timeout_ms_,
                          write_timeout_ms_, throttled([this] { repaint_progress(); }));
  return transfer->write(address, bytes);
}

int CommunicatingDialog::read_identification_block() {
  if (read_registers(block::kIdentification, fields_->block_words(block::kIdentification)) != 0) {
    return -1;
  }
  return check_firmware(identification_text(identification::kSoftwareVersion));
}

int CommunicatingDialog::check_firmware(const std::string& software_version) {
  const std::string software_text = header_in_check_ != nullptr
                                        ? header_in_check_->software_name
                                        : identification_text(identification::kSoftwareText);
  const FirmwareCheck verdict = orvadw::check_firmware(
      software_version, software_text, program_version_key(), firmware_check_, language());
  if (verdict.accepted) return 0;
  show_progress(false);
  show_error_text(QString::fromStdString(verdict.message), verdict.caption_id);
  return -1;
}

// ---------------------------------------------------------------------------
// Files

int CommunicatingDialog::set_file_kind(int text_id) { return session_.set_file_kind(text_id); }

void CommunicatingDialog::build_header_text() {
  using namespace identification;
  IdentificationTexts ids;
  ids.serial_week = identification_text(kSerialWeek);
  ids.serial_year = identification_text(kSerialYear);
  ids.serial_number = identification_text(kSerialNumber);
  ids.software_version = identification_text(kSoftwareVersion);
  ids.software_name = identification_text(kSoftwareText);
  // A window without a title text id saves an empty title line.
  const std::string title = title_id() != -1 ? windowTitle().toStdString() : std::string();
  session_.build_header_text(title, ids);
}

int CommunicatingDialog::save_record(std::string& path, std::span<const std::uint8_t> bytes,
                                     int mode) {
  return session_.save_record(path, bytes, mode);
}

int CommunicatingDialog::save_records(std::string& path,
                                      std::span<const std::vector<std::uint8_t>> records) {
  return session_.save_records(path, records);
}

int CommunicatingDialog::open_for_reading(std::string& path, int& count, std::string& header_text) {
  return session_.open_for_reading(path, count, header_text);
}

int CommunicatingDialog::load_record(std::string& path, int block, int index, int register_count) {
  std::vector<std::uint8_t> bytes;
  header_in_check_ = &session_.identification();
  const int words = register_count >= 0 ? register_count : fields_->block_words(block);
  const int rc = session_.load_record(path, index, words, bytes);
  header_in_check_ = nullptr;
  if (rc != 0) return -1;
  return store_answer(block, bytes) != 0 ? -1 : 0;
}

int CommunicatingDialog::read_identification(const std::string& path, FileHeader& header) {
  header_in_check_ = &header;
  const int rc = session_.read_identification(path, header);
  header_in_check_ = nullptr;
  return rc;
}

void CommunicatingDialog::close_file() { session_.close_file(); }

void CommunicatingDialog::apply_identification(const FileHeader& header) {
  using namespace identification;
  auto set_number = [this](int control, double value) {
    if (ParameterField* field = identification_field(control)) {
      field->set_number(value, ChangeOrigin::kDecode);
    }
  };
  auto set_text = [this](int control, const std::string& text) {
    if (ParameterField* field = identification_field(control)) {
      field->set_text(text, ChangeOrigin::kDecode);
    }
  };
  // A header of fewer lines (another writer) does not say which week.
  if (header.line_count >= kHeaderLineCount) set_number(kSerialWeek, header.serial_week);
  set_number(kSerialYear, header.serial_year);
  set_number(kSerialNumber, header.serial_number);
  set_text(kSoftwareVersion, header.software_version);
  set_text(kSoftwareText, header.software_name);
  if (ParameterField* firmware = fields_->field(kFirmwareLabelControl)) {
    firmware->set_text(header.software_version, ChangeOrigin::kDecode);
  }
}

std::optional<std::string> CommunicatingDialog::choose_save_path(
    const std::string& extension, const std::string& filter, const std::string& default_name,
    const std::vector<std::string>& also_accepted) {
  auto ask_path = [&]() -> std::optional<std::string> {
    FileDialogService::Request request;
    request.folder = QString::fromStdString(Configuration::instance().last_folder());
    request.filter = QString::fromStdString(filter);
    request.default_extension = QString::fromStdString(extension);
    request.default_name = QString::fromStdString(default_name);
    std::optional<QString> chosen = FileDialogService::current().save_path(this, request);
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    return chosen->toStdString();
  };
  auto confirm_replace = [&](const std::string& question) {
    return message_service().ask(this, QString::fromStdString(question),
                                 text_of(kCautionCaptionId)) == MessageService::kYes;
  };
  std::optional<std::string> path =
      orvadw::choose_save_path(extension, language(), ask_path, confirm_replace, also_accepted);
  if (path) remember_folder(*path);
  return path;
}

std::optional<std::string> CommunicatingDialog::choose_open_path(const std::string& filter) {
  FileDialogService::Request request;
  request.folder = QString::fromStdString(Configuration::instance().last_folder());
  request.filter = QString::fromStdString(filter);
  std::optional<QString> chosen = FileDialogService::current().open_path(this, request);
  if (!chosen || chosen->isEmpty()) return std::nullopt;
  std::string path = chosen->toStdString();
  remember_folder(path);
  return path;
}

void CommunicatingDialog::remember_folder(const std::string& path) {
  std::string folder = folder_of(path);
  if (!folder.empty()) Configuration::instance().set_last_folder(std::move(folder));
}

void CommunicatingDialog::show_file_error(int error_number) {
  show_error_text(QString::fromStdString(file_error_message(error_number, language())),
                  kErrorCaptionId);
}

}  // namespace orvadw
