#include "ui/focus_tracker.h"

#include <QApplication>

namespace orvadw {

FocusTracker& FocusTracker::instance() {
  static FocusTracker* tracker = new FocusTracker;  // lives as long as the application
  return *tracker;
}

FocusTracker::FocusTracker() : QObject(qApp), current_(QApplication::focusWidget()) {
  // focusChanged comes after the focus events: during a focus-in, current_
  // still names the widget that had the focus.
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { current_ = now; });
}

}  // namespace orvadw
