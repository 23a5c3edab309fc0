#include "ui/dialog_root.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QSettings>
#include <cmath>

#include "base/text_table.h"
#include "files/config_keys.h"
#include "files/configuration.h"
#include "files/save_path.h"
#include "params/value_format.h"
#include "ui/dialog_template_registry.h"
#include "ui/message_service.h"
#include "ui/qt_translations.h"
#include "ui/window_title.h"

namespace orvadw {

namespace {

// Stored placement values come from files a person may have edited: keep them
// to a sane integer range instead of trusting them.
int to_int(double value, int fallback) {
  if (std::isnan(value)) return fallback;
  constexpr long long kLimit = 1 << 24;
  // Truncation toward zero, as integer settings are read.
  return static_cast<int>(saturate(value, -kLimit, kLimit));
}

}  // namespace

DialogRoot::DialogRoot(int template_id, QWidget* parent) : QDialog(parent) {
  construct(template_id, Configuration::instance().configuration_path());
}

DialogRoot::DialogRoot(int template_id, QWidget* parent, const std::string& configuration_path)
    : QDialog(parent) {
  construct(template_id, configuration_path);
}

void DialogRoot::construct(int template_id, const std::string& configuration_path) {
  template_id_ = template_id;
  settings_.set_path(configuration_path);
  read_language();
  DialogTemplateRegistry::apply(template_id, this);
}

void DialogRoot::read_language() {
  const int stored = to_int(settings_.read_number(config::kLanguage, config::kLanguageKey, 0), 0);
  // A language outside the table would blank every text: fall back to French.
  language_ = (stored >= 0 && stored < TextTable::language_count()) ? stored + 1 : kFrench;
  // Qt's stock buttons speak the window's language too (before the
  // template is built: it may name some of them).
  use_qt_translations(language_);
}

void DialogRoot::follow_configuration(const std::string& configuration_path) {
  settings_.set_path(configuration_path);
  read_language();
  refresh_title();
}

DialogRoot::~DialogRoot() {
  if (placement_unsaved_) save_placement();
}

void DialogRoot::set_title_id(int text_id) {
  title_id_ = text_id;
  refresh_title();
}

void DialogRoot::set_document_name(const QString& name) {
  document_name_ = shorten_document_name(name);
  refresh_title();
}

void DialogRoot::set_title_suffix(const QString& suffix) {
  title_suffix_ = suffix;
  refresh_title();
}

void DialogRoot::set_custom_title(const QString& title) {
  custom_title_ = title;
  refresh_title();
}

void DialogRoot::refresh_title() {
  const QString head = title_id_ != -1 ? text_of(title_id_) : custom_title_;
  setWindowTitle(build_window_title(head, document_name_, title_suffix_));
}

QString DialogRoot::text_of(int text_id) const {
  return QString::fromStdString(orvadw::text_of(text_id, language_));
}

QString DialogRoot::text_of(int text_id, int index) const {
  return QString::fromStdString(orvadw::text_of(text_id, index, language_));
}

MessageService& DialogRoot::message_service() const {
  return message_service_ != nullptr ? *message_service_ : MessageService::current();
}

void DialogRoot::show_error(int message_id, int caption_id) {
  show_error_text(text_of(message_id), caption_id);
}

void DialogRoot::show_error(int message_id, const QString& extra, int caption_id) {
  show_error_text(text_of(message_id) + extra, caption_id);
}

void DialogRoot::show_error_text(const QString& text, int caption_id) {
  message_service().show(this, text, text_of(caption_id), MessageService::Icon::Error);
}

int DialogRoot::ask(int message_id, const QString& extra, int caption_id) {
  return message_service().ask(this, text_of(message_id) + extra, text_of(caption_id));
}

bool DialogRoot::confirm_replace(const std::string& question) {
  constexpr int kCautionCaptionId = 4;
  return message_service().ask(this, QString::fromStdString(question),
                               text_of(kCautionCaptionId)) == MessageService::kYes;
}

std::optional<std::string> DialogRoot::ask_save_file(const FileDialogService::Request& request) {
  const std::optional<QString> chosen = FileDialogService::current().save_path(this, request);
  if (!chosen || chosen->isEmpty()) return std::nullopt;
  return chosen->toStdString();
}

std::optional<std::string> DialogRoot::choose_save_file(const std::string& extension,
                                                        const std::string& filter,
                                                        const std::string& default_name,
                                                        const std::vector<std::string>& also_accepted) {
  FileDialogService::Request request;
  request.folder = QString::fromStdString(Configuration::instance().last_folder());
  request.filter = QString::fromStdString(filter);
  request.default_extension = QString::fromStdString(extension);
  request.default_name = QString::fromStdString(default_name);
  return choose_save_path(
      extension, language_, [&] { return ask_save_file(request); },
      [&](const std::string& question) { return confirm_replace(question); }, also_accepted);
}

void DialogRoot::set_registry_section(const QString& company, const QString& application) {
  company_ = company;
  application_ = application;
}

bool DialogRoot::registry_section_complete() const {
  return !company_.isEmpty() && !application_.isEmpty();
}

void DialogRoot::initialise() {
  if (initialised_) return;
  initialised_ = true;
  initialising_ = true;
  init_dialog();
  initialising_ = false;
}

// True once after the dialog ended during its initialisation.
bool DialogRoot::take_early_end() {
  const bool ended = ended_while_initialising_;
  ended_while_initialising_ = false;
  return ended;
}

int DialogRoot::exec() {
  initialise();
  if (take_early_end()) return result();
  return QDialog::exec();
}

void DialogRoot::init_dialog() { restore_placement(); }

void DialogRoot::setVisible(bool visible) {
  // Initialising before the platform shows the dialog lets a restored
  // position stand instead of the default placement over the parent.
  if (visible) {
    initialise();
    if (take_early_end()) return;  // it has already ended: nothing to show
    placement_unsaved_ = true;
  }
  QDialog::setVisible(visible);
  if (visible && keep_after_show_) {
    keep_after_show_ = false;
    keep_on_screen();
  }
}

void DialogRoot::done(int result) {
  if (initialising_) ended_while_initialising_ = true;
  if (placement_unsaved_) save_placement();
  QDialog::done(result);
}

void DialogRoot::restore_placement() {
  if (!registry_section_complete()) return;
  QSettings registry(company_, application_);
  const std::string section = application_.toStdString();
  // The per-user copy first, then the configuration file's copy, which wins
  // where it exists.
  auto read = [&](const char* key, int fallback) {
    int value = fallback;
    const QVariant stored = registry.value(QString::fromLatin1(key));
    bool ok = false;
    const int from_registry = stored.toInt(&ok);
    if (stored.isValid() && ok) value = from_registry;
    return to_int(settings_.read_number(section, key, value), value);
  };

  const int flags = placement_flags_;
  const bool position_restored = (flags & kSavePosition) && !(flags & kKeepPosition);
  if (position_restored) {
    const int top = read(kTopKey, default_rect_.top);
    const int left = read(kLeftKey, default_rect_.left);
    move(left, top);
  }
  if ((flags & kSaveSize) && !(flags & kKeepSize)) {
    const int width = read(kWidthKey, default_rect_.width());
    const int height = read(kHeightKey, default_rect_.height());
    // A size of nothing would leave an unreachable window: keep the current one.
    if (width > 0 && height > 0) resize(width, height);
    if (read(kStateKey, 0) & 1) setWindowState(windowState() | Qt::WindowMinimized);
  }

  // Before the first show only a restored or centred position is ours to
  // correct; otherwise the platform places the dialog (and keeps it on screen).
  if (!position_restored && !(flags & kCentre) && !isVisible()) return;
  keep_on_screen();
  // The frame is known only once the window exists: check again after showing.
  keep_after_show_ = !isVisible();
}

void DialogRoot::keep_on_screen() {
  if (isMaximized()) return;
  QScreen* screen = this->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QRect frame = frameGeometry();
  const EdgeRect work{area.x(), area.y(), area.x() + area.width(), area.y() + area.height()};
  const EdgeRect window{frame.x(), frame.y(), frame.x() + frame.width(),
                        frame.y() + frame.height()};
  const WindowPosition at = keep_on_work_area(window, work, placement_flags_ & kCentre);
  move(at.left, at.top);
}

void DialogRoot::save_placement() {
  placement_unsaved_ = false;
  if (!registry_section_complete()) return;
  // The normal rectangle: the frame's position and the client size that a
  // maximised or minimised window returns to.
  QRect normal = normalGeometry();
  if (!normal.isValid()) normal = geometry();
  const QPoint frame_offset = geometry().topLeft() - frameGeometry().topLeft();
  const QPoint position = normal.topLeft() - frame_offset;

  QSettings registry(company_, application_);
  const std::string section = application_.toStdString();
  // The configuration copy is written in one go: one rewrite of the file.
  std::vector<std::pair<std::string, double>> to_file;
  auto write = [&](const char* key, int value) {
    registry.setValue(QString::fromLatin1(key), value);
    to_file.emplace_back(key, value);
  };
  if (placement_flags_ & kSavePosition) {
    write(kTopKey, position.y());
    write(kLeftKey, position.x());
  }
  if (placement_flags_ & kSaveSize) {
    write(kStateKey, (isMaximized() || isMinimized()) ? 1 : 0);
    write(kWidthKey, normal.width());
    write(kHeightKey, normal.height());
  }
  if (!to_file.empty()) settings_.write_numbers(section, to_file);
}

void DialogRoot::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();  // Escape never closes a dialog
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace orvadw
