#include "dialogs/modem_dialog.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextCursor>
#include <QThread>
#include <QTimerEvent>

#include "files/config_keys.h"
#include "files/configuration.h"
#include "link/jbus_master.h"
#include "ui/dialog_template_registry.h"
#include "ui/named_event.h"
#include "ui/named_message_registry.h"
#include "ui_template_109.h"

namespace orvadw {

namespace {

constexpr int kCannotOpenPortId = 78;
constexpr int kInitFailedId = 76;
constexpr int kBusyId = 157;
constexpr int kNoDialtoneId = 163;
constexpr int kConnectionFailedId = 164;
constexpr int kDisconnectionFailedId = 165;
constexpr int kCautionId = 4;
constexpr int kErrorId = 74;

const bool template_registered = [] {
  DialogTemplateRegistry::add(ModemDialog::kTemplateId, [](QWidget* target) {
    Ui::Template109 form;
    form.setupUi(target);
    // Qt's own word for the stock button, in the window's language.
    form.c2->setText(QCoreApplication::translate("QPlatformTheme", "Cancel"));
  });
  return true;
}();

std::string text_default(std::string_view key) {
  const config::KeyInfo* info = config::find_key(config::kModem, key);
  return info != nullptr ? std::string(info->text_default) : std::string();
}

// The log shows line ends as line breaks, whatever the modem sent.
QString as_log_text(const QString& report) {
  QString text = QString::fromStdString(unescape_report_text(report.toStdString()));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace

ModemSettings ModemSettings::read(const SettingsStore& store) {
  // A path-less store answers "" for texts; the defaults still hold then.
  auto text = [&store](std::string_view key) {
    const std::string fallback = text_default(key);
    return store.path().empty() ? fallback : store.read_text(config::kModem, key, fallback);
  };
  ModemSettings s;
  s.numerotation = static_cast<int>(store.read_number(config::kModem, config::kNumerotation, 0));
  s.telephone_number = store.read_text(config::kModem, config::kTelefonNumber, "");
  s.init_string = text(config::kInitialisationString);
  s.disconnect_string = text(config::kDisconnectString);
  return s;
}

ModemDialog::ModemDialog(JBusMaster* master, QWidget* parent, int mode)
    : CommunicatingDialog(kTemplateId, master, -1, kModeFromInstrument, parent),
      mode_(mode),
      session_(std::make_unique<ModemSession>()) {
  construct();
}

ModemDialog::ModemDialog(JBusMaster* master, QWidget* parent, int mode,
                         const std::string& configuration_path)
    : CommunicatingDialog(kTemplateId, master, -1, kModeFromInstrument, parent, configuration_path),
      mode_(mode),
      session_(std::make_unique<ModemSession>()) {
  construct();
}

void ModemDialog::construct() {
  (void)template_registered;
  close_timer_.setSingleShot(true);
  connect(&close_timer_, &QTimer::timeout, this, [this] { done(close_result_); });
}

ModemDialog::~ModemDialog() { shut_down(); }

void ModemDialog::shut_down() {
  if (shut_down_) return;
  shut_down_ = true;
  stop_progress_timer();
  close_timer_.stop();
  // A worker waiting for its report to be handled is let go, or the session
  // could not end it; cancelled first, so that it stops there.
  session_->cancel();
  target_.detach();
  session_->stop();
}

QString ModemDialog::log_text() const { return log_ ? log_->toPlainText() : QString(); }

int ModemDialog::progress() const { return progress_ ? progress_->value() : 0; }

void ModemDialog::init_dialog() {
  CommunicatingDialog::init_dialog();
  log_ = qobject_cast<QPlainTextEdit*>(find_control(this, kLogControl));
  progress_ = qobject_cast<QProgressBar*>(find_control(this, kProgressControl));
  if (log_) {
    log_->setReadOnly(true);
    log_->clear();
  }
  if (auto* cancel = qobject_cast<QAbstractButton*>(find_control(this, kCancelControl))) {
    connect(cancel, &QAbstractButton::clicked, this, [this] { done(Rejected); });
  }

  modem_settings_ = ModemSettings::read(settings());
  if (mode_ == kConnectMode) {
    set_title_id(kConnectTitleId);
    const std::string dial_command =
        modem_dial_command(modem_settings_.numerotation, modem_settings_.telephone_number);
    const int rc = session_->dial(&target_, master(), language(), port_number(), baud_index(),
                                  modem_init_command(modem_settings_.init_string), dial_command,
                                  'N', 8, 1);
    if (rc != 0) {
      show_error(kCannotOpenPortId, kErrorId);
      end_soon(Rejected);
      return;
    }
    if (progress_) {
      progress_->setRange(0, kProgressTicks);
      progress_->setValue(0);
    }
    timer_id_ = startTimer(kTickMs);
  } else {
    set_title_id(kHangUpTitleId);
    bool connected = Configuration::instance().modem_connected();
    const int rc = start_hang_up(connected);
    Configuration::instance().set_modem_connected(connected);
    // -1 (not connected): nothing to do, the window stays as it is. A line
    // that cannot be opened is said, not passed over in silence.
    if (rc > 0) show_error(kCannotOpenPortId, kErrorId);
  }
}

int ModemDialog::start_hang_up(bool& modem_connected) {
  return session_->hang_up(&target_, master(), modem_connected, language(), port_number(),
                           baud_index(), modem_hang_up_command(modem_settings_.disconnect_string),
                           'N', 8, 1);
}

bool ModemDialog::event(QEvent* event) {
  if (const NamedEvent* named = NamedEvent::as(event, QString::fromLatin1(msg::kInfoModem))) {
    on_report(static_cast<int>(named->wparam()), named->text());
    named->set_result(1);
    return true;
  }
  return CommunicatingDialog::event(event);
}

void ModemDialog::timerEvent(QTimerEvent* event) {
  if (event->timerId() == timer_id_ && timer_id_ != 0) {
    // A visual measure only: nothing happens when the bar is full.
    if (progress_ && progress_->value() < progress_->maximum()) {
      progress_->setValue(progress_->value() + 1);
    }
    return;
  }
  CommunicatingDialog::timerEvent(event);
}

void ModemDialog::append_log(const QString& text) {
  if (!log_) return;
  QTextCursor cursor = log_->textCursor();
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(as_log_text(text));
  log_->setTextCursor(cursor);
  log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
}

void ModemDialog::stop_progress_timer() {
  if (timer_id_ != 0) killTimer(timer_id_);
  timer_id_ = 0;
}

void ModemDialog::end_later(int result) {
  close_result_ = result;
  close_timer_.start(kCloseDelayMs);
}

void ModemDialog::end_soon(int result) {
  QMetaObject::invokeMethod(this, [this, result] { done(result); }, Qt::QueuedConnection);
}

void ModemDialog::on_report(int code, const QString& text) {
  if (shut_down_) return;
  append_log(text);
  const auto has = [&text](const char* word) { return text.contains(QLatin1String(word)); };
  switch (code) {
    case ModemSession::kInitAnswerEvent:
      if (has("OK")) {
        if (progress_) progress_->setValue(0);
      } else {
        stop_progress_timer();
        show_error(kInitFailedId, kCautionId);
        done(Rejected);
      }
      break;
    case ModemSession::kDialAnswerEvent:
      stop_progress_timer();
      if (has("CONNECT")) {
        end_later(Accepted);
      } else if (has("BUSY")) {
        show_error(kBusyId, kCautionId);
        done(Rejected);
      } else if (has("NO DIALTONE")) {
        show_error(kNoDialtoneId, kCautionId);
        done(Rejected);
      } else {
        show_error(kConnectionFailedId, kCautionId);
        // The modem may still hold the line: hang it up. The program-wide
        // flag is not touched, the call never counted as made.
        bool call_up = true;
        start_hang_up(call_up);
      }
      break;
    case ModemSession::kEscapeAnswerEvent:
      if (!has("OK")) {
        stop_progress_timer();
        show_error(kDisconnectionFailedId, kCautionId);
        done(Rejected);
      }
      break;
    case ModemSession::kHangUpAnswerEvent:
      stop_progress_timer();
      if (has("OK")) {
        end_later(Rejected);
      } else {
        show_error(kDisconnectionFailedId, kCautionId);
        done(Rejected);
      }
      break;
    default:
      break;
  }
}

void ModemDialog::done(int result) {
  shut_down();
  CommunicatingDialog::done(result);
}

void install_modem_connect_hook(JBusMaster& master, QWidget* parent) {
  QPointer<QWidget> owner(parent);
  master.set_modem_connect_hook([&master, owner](JBusLink&) {
    // A window can only be shown from the user-interface thread.
    if (QCoreApplication::instance() == nullptr ||
        QThread::currentThread() != QCoreApplication::instance()->thread()) {
      return 1;
    }
    ModemDialog dialog(&master, owner.data(), ModemDialog::kConnectMode);
    if (dialog.exec() != QDialog::Accepted) return 1;
    Configuration::instance().set_modem_connected(true);
    return 0;
  });
}

}  // namespace orvadw
