#pragma once
// Raises a termination signal the moment an instrument window puts up its
// please-wait window, that is while a transfer with the instrument runs: the
// stop request the program must neither lose nor let cut the transfer.
#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <csignal>

#include "dialogs/communicating_dialog.h"

namespace orvadw::test {

class SignalDuringTransfer : public QObject {
 public:
  SignalDuringTransfer() { qApp->installEventFilter(this); }
  ~SignalDuringTransfer() override { qApp->removeEventFilter(this); }
  SignalDuringTransfer(const SignalDuringTransfer&) = delete;
  SignalDuringTransfer& operator=(const SignalDuringTransfer&) = delete;

  bool raised() const { return raised_; }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (raised_ || event->type() != QEvent::Show) return false;
    auto* shown = qobject_cast<QWidget*>(watched);
    if (shown == nullptr || !shown->isWindow()) return false;
    auto* owner = qobject_cast<CommunicatingDialog*>(shown->parentWidget());
    if (owner != nullptr && owner->progress_window() == shown) {
      raised_ = true;
      std::raise(SIGTERM);
    }
    return false;
  }

 private:
  bool raised_ = false;
};

}  // namespace orvadw::test
