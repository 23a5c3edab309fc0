#include "support/focus_window.h"

#include <QApplication>
#include <QTest>

#include "ui/beeper.h"

namespace orvadw::test {

bool show_active(QWidget* window) {
  window->show();
  window->activateWindow();
  QApplication::setActiveWindow(window);
  return QTest::qWaitForWindowActive(window, 5000);
}

void focus(QWidget* widget, Qt::FocusReason reason) {
  widget->setFocus(reason);
  QApplication::processEvents();
}

BeepCounter::BeepCounter() {
  Beeper::set_hook([this] { ++count_; });
}

BeepCounter::~BeepCounter() { Beeper::set_hook({}); }

}  // namespace orvadw::test
