#pragma once
// A shown, active top-level window for tests that move the keyboard focus.
#include <QWidget>

namespace orvadw::test {

// Shows and activates the window; false when the platform would not
// activate it within a generous limit.
bool show_active(QWidget* window);

// Gives the widget the focus as the Tab key would and processes the
// resulting events.
void focus(QWidget* widget, Qt::FocusReason reason = Qt::TabFocusReason);

// Counts beeps of the controls while it lives.
class BeepCounter {
 public:
  BeepCounter();
  ~BeepCounter();
  int count() const { return count_; }

 private:
  int count_ = 0;
};

}  // namespace orvadw::test
