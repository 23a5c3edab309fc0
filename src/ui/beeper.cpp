#include "ui/beeper.h"

#include <QApplication>

namespace orvadw {

namespace {
std::function<void()>& hook() {
  static std::function<void()> h;
  return h;
}
}  // namespace

void Beeper::beep() {
  if (hook()) {
    hook()();
    return;
  }
  QApplication::beep();
}

void Beeper::set_hook(std::function<void()> h) { hook() = std::move(h); }

}  // namespace orvadw
