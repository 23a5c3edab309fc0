#pragma once
// The frame monitor: a window of its own beside the others that lists the
// link's traffic live, one event a line (time, direction and bytes, or the
// verdict of an attempt with its meaning). The link only drops each event
// into a bounded batch; the window takes the batch ten times a second and
// shows it in one go, keeping the last 10,000 lines. Pause freezes the list
// (what comes meanwhile waits in the batch, up to its capacity); the list
// can be cleared and saved as a text file.
//
// It is not modal, so it stays usable while an instrument window works.
#include <QTimer>
#include <memory>
#include <string>

#include "link/traffic_log.h"
#include "ui/dialog_root.h"

class QCloseEvent;
class QPlainTextEdit;
class QPushButton;

namespace Ui {
class FrameMonitorForm;
}

namespace orvadw {

class JBusMaster;

class FrameMonitor : public DialogRoot {
  Q_OBJECT

 public:
  static constexpr int kRefreshMs = 100;

  explicit FrameMonitor(JBusMaster& master, QWidget* parent = nullptr);
  ~FrameMonitor() override;

  // The title and the buttons in the window's language (again after the
  // language changed).
  void show_texts();

  // Starts watching the master's traffic (again); closing the window stops.
  void start();
  void stop();
  bool watching() const { return watching_; }

  bool paused() const { return paused_; }
  void set_paused(bool paused);
  void clear();
  // The save dialog (text files, in the last folder), then the file; a
  // failure is said. True when the file was written.
  bool press_save();
  // Writes the lines to path: 0, or the system's error number.
  int save_to(const std::string& path) const { return log_.save(path); }

  // Takes what has come and shows it (the timer calls it).
  void refresh();

  const TrafficLog& log() const { return log_; }
  QPlainTextEdit* list() const;
  QPushButton* pause_button() const;
  QPushButton* clear_button() const;
  QPushButton* save_button() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:

  JBusMaster& master_;
  std::unique_ptr<Ui::FrameMonitorForm> ui_;
  std::shared_ptr<TrafficBatch> batch_;
  TrafficLog log_;
  QTimer timer_;
  bool watching_ = false;
  bool paused_ = false;
};

}  // namespace orvadw
