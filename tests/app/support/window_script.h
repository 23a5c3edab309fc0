#pragma once
// Drives the real windows step by step while the program's own modal loops
// run: each step waits (bounded) for a condition, then acts from the event
// loop. The steps are checked by a timer, so they go on inside whatever
// modal window a command has opened; an action is run after the timer's
// callback has returned, so an action that opens a modal window does not
// stop the script. When a step times out, every modal window is closed so
// that the program's loops unwind, and run() reports the step.
//
//   WindowScript script;
//   script.step("the settings window", [] { return top_modal<SettingsDialog>(); },
//               [] { ... });
//   ASSERT_TRUE(script.run()) << script.failure();
#include <QApplication>
#include <QDialog>
#include <QString>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

class QMenu;
class QTimer;
class QWidget;

namespace orvadw::test {

class WindowScript {
 public:
  using Clock = std::chrono::steady_clock;

  WindowScript& step(std::string what, std::function<bool()> ready, std::function<void()> act,
                 std::chrono::milliseconds within = std::chrono::seconds(20));
  // A step without an action: only waits.
  WindowScript& wait(std::string what, std::function<bool()> ready,
                 std::chrono::milliseconds within = std::chrono::seconds(20));

  // Runs the steps in order; the event loop runs meanwhile. True when every
  // step ran.
  bool run();
  const std::string& failure() const { return failure_; }

 private:
  struct Step {
    std::string what;
    std::function<bool()> ready;
    std::function<void()> act;
    std::chrono::milliseconds within;
  };
  void tick();
  void fail(const std::string& why);

  static constexpr std::chrono::seconds kUnwindLimit{20};

  std::vector<Step> steps_;
  std::size_t next_ = 0;
  bool waiting_for_start_ = false;
  int acts_running_ = 0;
  bool failed_ = false;
  Clock::time_point step_started_;
  std::string failure_;
};

// For a test whose program loop must end by itself: past the limit every
// window still shown is closed, as if cancelled, so that the loops unwind
// and the test fails instead of hanging.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::milliseconds limit);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
  bool fired() const { return fired_; }

 private:
  QTimer* timer_;
  bool fired_ = false;
};

// The window on top of the modal stack when it is a T, else nullptr.
template <typename T>
T* top_modal() {
  return qobject_cast<T*>(QApplication::activeModalWidget());
}

// The open popup menu, or nullptr.
QMenu* open_popup();
// Opens a popup of the window's menu bar with Alt and the accelerator
// letter of its title (the "&" in the text).
void open_menu_by_keys(QWidget* window, const QString& title);
// Moves through the open popup with the arrow keys to the item with that
// text and presses Return (Right for a sub-popup). False when there is none.
bool choose_item_by_keys(QMenu* popup, const QString& text);

// Saves a picture of the window in the test output folder: the build's
// test-output/screenshots (beside bin/), created when missing.
void screenshot(QWidget* window, const std::string& name);

}  // namespace orvadw::test
