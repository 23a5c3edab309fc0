#pragma once
// The modem connection window (template 109): in mode 1 it initialises the
// local modem and dials, in mode 2 it escapes to command mode and hangs up,
// logging the dialogue that a ModemSession runs on its worker thread. It
// ends with OK once a call is up, and with Cancel otherwise.
//
// The log is a plain-text field. The session's reports carry "&" and "%"
// doubled (the form a label that interprets them needs); the window undoes
// that doubling before appending, so the modem's own "&" shows once, and
// the plain-text field shows every character as it is.
//
// Closing the window at any moment ends the dialogue: the reports' target is
// detached first (a worker waiting to report is released), then the session
// is stopped, which also cuts short a pending answer wait.
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>

#include "dialogs/communicating_dialog.h"
#include "link/modem_session.h"
#include "ui/event_notify_target.h"

class QPlainTextEdit;
class QProgressBar;
class QTimerEvent;

namespace orvadw {

class JBusMaster;

// The Modem section of the configuration, with its defaults.
struct ModemSettings {
  int numerotation = 0;  // 0 tone, anything else pulse
  std::string telephone_number;
  std::string init_string;
  std::string disconnect_string;

  static ModemSettings read(const SettingsStore& store);
};

class ModemDialog : public CommunicatingDialog {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 109;
  static constexpr int kLogControl = 1113;
  static constexpr int kProgressControl = 1295;
  static constexpr int kCancelControl = 2;
  static constexpr int kConnectMode = 1;
  static constexpr int kHangUpMode = 2;
  static constexpr int kProgressTicks = 120;  // one a tick: full after the 60 s dial time-out
  static constexpr int kTickMs = 500;
  static constexpr int kCloseDelayMs = 2000;  // the modem settles before the window ends
  static constexpr int kConnectTitleId = 200;
  static constexpr int kHangUpTitleId = 201;

  ModemDialog(JBusMaster* master, QWidget* parent, int mode);
  ModemDialog(JBusMaster* master, QWidget* parent, int mode, const std::string& configuration_path);
  ~ModemDialog() override;

  int mode() const { return mode_; }
  // The log as shown.
  QString log_text() const;
  int progress() const;
  bool progress_timer_running() const { return timer_id_ != 0; }
  // True while the window waits the last 2 s before it ends.
  bool closing_soon() const { return close_timer_.isActive(); }
  ModemSession& session() { return *session_; }

  void done(int result) override;

 protected:
  void init_dialog() override;
  bool event(QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void construct();
  void on_report(int code, const QString& text);
  void append_log(const QString& text);
  void stop_progress_timer();
  // Ends the window with result after the settling delay.
  void end_later(int result);
  // Ends the window without waiting, once the event loop runs (the window
  // may still be in the middle of being shown).
  void end_soon(int result);
  // Starts the hang-up dialogue; with a local flag after a failed dial, with
  // the program-wide one in mode 2.
  int start_hang_up(bool& modem_connected);
  void shut_down();

  int mode_;
  // Read once when the window starts; a failed dial hangs up with the same.
  ModemSettings modem_settings_;
  std::unique_ptr<ModemSession> session_;
  QPointer<QPlainTextEdit> log_;
  QPointer<QProgressBar> progress_;
  int timer_id_ = 0;
  QTimer close_timer_;
  int close_result_ = 0;
  bool shut_down_ = false;
  // Declared last: detached in shut_down() before the session stops.
  EventNotifyTarget target_{this};
};

// Makes the master's connect with the modem in use show this window in mode
// 1 (parent: its owner). connect then succeeds when the window ends with OK
// (the program-wide modem-connected flag is set), and answers 252 otherwise.
void install_modem_connect_hook(JBusMaster& master, QWidget* parent);

}  // namespace orvadw
