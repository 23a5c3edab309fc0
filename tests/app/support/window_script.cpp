#include "window_script.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <cstdlib>

namespace orvadw::test {

WindowScript& WindowScript::step(std::string what, std::function<bool()> ready, std::function<void()> act,
                         std::chrono::milliseconds within) {
  steps_.push_back({std::move(what), std::move(ready), std::move(act), within});
  return *this;
}

WindowScript& WindowScript::wait(std::string what, std::function<bool()> ready,
                         std::chrono::milliseconds within) {
  return step(std::move(what), std::move(ready), [] {}, within);
}

void WindowScript::fail(const std::string& why) {
  failed_ = true;
  failure_ = why;
  // Every modal window goes, as if cancelled, so that the loops unwind.
  for (int guard = 0; guard < 32; ++guard) {
    QWidget* top = QApplication::activeModalWidget();
    if (top == nullptr) break;
    if (auto* dialog = qobject_cast<QDialog*>(top)) {
      dialog->done(QDialog::Rejected);
    } else {
      top->close();
    }
    QCoreApplication::processEvents();
  }
}

void WindowScript::tick() {
  if (failed_ || waiting_for_start_) return;
  if (next_ >= steps_.size()) {
    // Every step ran; an action still on the stack waits for a window that
    // nothing will close.
    if (acts_running_ > 0 && Clock::now() - step_started_ > kUnwindLimit) {
      fail("an action did not return");
    }
    return;
  }
  Step& current = steps_[next_];
  if (current.ready()) {
    waiting_for_start_ = true;
    ++next_;
    // After this callback: an action may open a modal window, and the next
    // steps go on inside it.
    QTimer::singleShot(0, [this, act = current.act] {
      waiting_for_start_ = false;
      step_started_ = Clock::now();
      ++acts_running_;
      act();
      --acts_running_;
    });
    return;
  }
  if (Clock::now() - step_started_ > current.within) fail("timed out waiting for " + current.what);
}

bool WindowScript::run() {
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [this] { tick(); });
  step_started_ = Clock::now();
  timer.start();
  while (!failed_ && (next_ < steps_.size() || waiting_for_start_ || acts_running_ > 0)) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  timer.stop();
  return !failed_;
}

Watchdog::Watchdog(std::chrono::milliseconds limit) : timer_(new QTimer) {
  timer_->setSingleShot(true);
  QObject::connect(timer_, &QTimer::timeout, [this] {
    fired_ = true;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<QDialog*>(window); dialog != nullptr && dialog->isVisible()) {
        dialog->done(QDialog::Rejected);
      }
    }
  });
  timer_->start(limit);
}

Watchdog::~Watchdog() { delete timer_; }

QMenu* open_popup() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

void open_menu_by_keys(QWidget* window, const QString& title) {
  const int at = title.indexOf(QLatin1Char('&'));
  if (at < 0 || at + 1 >= title.size()) return;
  const QChar letter = title.at(at + 1).toUpper();
  QTest::keyClick(window, static_cast<Qt::Key>(letter.unicode()), Qt::AltModifier);
}

bool choose_item_by_keys(QMenu* popup, const QString& text) {
  if (popup == nullptr) return false;
  QAction* wanted = nullptr;
  for (QAction* action : popup->actions()) {
    if (action->text() == text) wanted = action;
  }
  if (wanted == nullptr || !wanted->isEnabled()) return false;
  for (int guard = 0; guard < 64 && popup->activeAction() != wanted; ++guard) {
    QTest::keyClick(popup, Qt::Key_Down);
  }
  if (popup->activeAction() != wanted) return false;
  QTest::keyClick(popup, wanted->menu() != nullptr ? Qt::Key_Right : Qt::Key_Return);
  return true;
}

void screenshot(QWidget* window, const std::string& name) {
  const char* bin = std::getenv("ORVADW_BIN_DIR");
  const QString folder = QString::fromLocal8Bit(bin != nullptr ? bin : ".") +
                         QStringLiteral("/../test-output/screenshots");
  QDir().mkpath(folder);
  window->grab().save(folder + QLatin1Char('/') + QString::fromStdString(name) +
                      QStringLiteral(".png"));
}

}  // namespace orvadw::test
