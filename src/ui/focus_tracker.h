#pragma once
// Remembers which widget had the focus before the current one, so that a
// field that refuses the focus can hand it back to where it came from.
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace orvadw {

class FocusTracker : public QObject {
  Q_OBJECT

 public:
  // The application-wide tracker (created on first use; needs a QApplication).
  static FocusTracker& instance();

  // During a focus-in event: the widget that is losing the focus.
  QWidget* current() const { return current_.data(); }

 private:
  FocusTracker();
  QPointer<QWidget> current_;
};

}  // namespace orvadw
