#pragma once
// The base of the two operating views (measurement and logger): a
// communicating dialog that polls the instrument on the master's poll thread
// and handles each "WM_NEW_TRAME" on the window thread, one at a time; the
// seven buttons of their templates (print, record or save, export and the
// four sample buttons) with their icons; the link and record status texts;
// the file-mode start (identification, title with the save date, record
// count); printing and the spreadsheet export of the view's file.
#include <QPointer>
#include <memory>
#include <string>

#include "dialogs/communicating_dialog.h"
#include "link/jbus_master.h"
#include "params/polled_request.h"

namespace orvadw {

class EventNotifyTarget;
class NotifyingButton;

class OperatingView : public CommunicatingDialog {
  Q_OBJECT

 public:
  // Buttons of the operating templates, and their icon ids.
  static constexpr int kPrintButton = 1307;
  static constexpr int kRecordButton = 1313;  // record (measurement), save (logger)
  static constexpr int kExportButton = 1316;
  static constexpr int kFirstButton = 1301;
  static constexpr int kPreviousButton = 1311;
  static constexpr int kNextButton = 1315;
  static constexpr int kLastButton = 1305;
  static constexpr int kPrintIcon = 134;
  static constexpr int kRecordIcon = 139;
  static constexpr int kRecordingIcon = 140;
  static constexpr int kExportIcon = 142;
  static constexpr int kFirstIcon = 132;
  static constexpr int kPreviousIcon = 137;
  static constexpr int kNextIcon = 141;
  static constexpr int kLastIcon = 133;
  // Status texts of the operating-window rows.
  static constexpr int kRecordStatusControl = 1088;
  static constexpr int kLinkStatusControl = 1054;
  static constexpr int kLinkOk = 0;
  static constexpr int kLinkFailure = 2;  // "Communication Failure"

  // file_path: the file of mode 4 (its folder becomes the last folder).
  OperatingView(int template_id, JBusMaster* master, int file_kind, int start_mode,
                const std::string& file_path, QWidget* parent,
                const std::string& configuration_path);
  ~OperatingView() override;

  bool file_mode() const { return file_mode_; }
  NotifyingButton* button(int control_id) const;
  // The text the link status shows (blank, or "Communication Failure").
  QString link_status() const;
  QString record_status() const;
  bool polling() const;
  // Set once the start-up ran (successfully or not).
  bool started() const { return started_; }

  // The print button: the sheet of what the view shows (the current sample,
  // the logger's table), from the fields, never from the widgets.
  virtual void print_view();
  // The export button: every record of the view's file to a spreadsheet.
  virtual void export_to_spreadsheet();

  void done(int result) override;

 protected:
  void init_dialog() override;
  bool event(QEvent* event) override;
  void on_button_click(int control, qint64 parameter) override;

  // Runs once the window is on screen; a view that cannot start closes.
  virtual void start() = 0;
  // One poll answer (never two at once); the view resumes polling or not.
  virtual void on_poll_answer(const JBusMaster::PollRequest& answer) = 0;
  virtual void on_record_button() {}
  virtual void on_navigation(int /*button*/) {}

  int start_polling(const PolledRequest& request, int period_ms);
  void set_poll_request(const PolledRequest& request);
  void resume_polling();
  void stop_polling();

  // Reads the file's identification, sets the title's save date and the
  // record count. -1 (after the message) when the file cannot be shown.
  int open_file(int& record_count);
  // Connects, reads the identification block and checks the firmware, with
  // the please-wait window up. -1 (after the message) when that fails.
  int connect_instrument();

  void set_link_status(int item);
  void set_record_status(const std::string& text);
  void show_button(int control_id, bool shown);
  void enable_button(int control_id, bool enabled);
  void set_button_icon(int control_id, int icon_id);

  // Closes the view once control is back in the event loop (safe from the
  // start-up and from a poll answer).
  void close_soon(int result);

 private:
  void take_buttons();

  std::unique_ptr<EventNotifyTarget> notify_;
  bool file_mode_ = false;
  bool busy_ = false;
  bool polled_ = false;  // this view started the master's polling
  bool started_ = false;
  bool closing_ = false;
};

}  // namespace orvadw
