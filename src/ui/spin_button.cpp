#include "ui/spin_button.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/named_event.h"
#include "ui/named_message_registry.h"

namespace orvadw {

SpinButton::SpinButton(QWidget* parent) : QWidget(parent) {
  up_ = new QToolButton(this);
  down_ = new QToolButton(this);
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* arrow : {up_, down_}) {
    arrow->setAutoRepeat(true);
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(up_);
  layout->addWidget(down_);
  setFocusPolicy(Qt::NoFocus);

  // The first press starts the hold, the real release ends it; every click
  // (the first and each auto-repeat) makes one step. An auto-repeating
  // button also reports pressed and released on every repeat, with the
  // button still down.
  for (QToolButton* arrow : {up_, down_}) {
    connect(arrow, &QToolButton::pressed, this, [this] { pressed(); });
    connect(arrow, &QToolButton::released, this, [this, arrow] { released(arrow); });
  }
  connect(up_, &QToolButton::clicked, this, [this] { repeated(+1); });
  connect(down_, &QToolButton::clicked, this, [this] { repeated(-1); });
}

void SpinButton::set_range(int minimum, int maximum) {
  minimum_ = std::min(minimum, maximum);
  maximum_ = std::max(minimum, maximum);
  position_ = std::clamp(position_, minimum_, maximum_);
}

void SpinButton::set_position(int position) { position_ = std::clamp(position, minimum_, maximum_); }

int SpinButton::multiplier_after(qint64 held_ms) const {
  int multiplier = 1;
  qint64 threshold_ms = 0;
  for (const Acceleration& step : kAcceleration) {
    threshold_ms += static_cast<qint64>(step.after_seconds) * 1000;
    if (held_ms < threshold_ms) break;
    multiplier = step.multiplier;
  }
  return multiplier;
}

void SpinButton::pressed() {
  if (holding_ && !ending_) return;  // an auto-repeat of the arrow held
  holding_ = true;
  ending_ = false;
  held_.start();
}

void SpinButton::released(QToolButton* arrow) {
  // The click of the real release still counts as held that long.
  if (!arrow->isDown()) ending_ = true;
}

void SpinButton::repeated(int direction) {
  const int delta = direction * multiplier_after(held_ms());
  if (ending_) holding_ = ending_ = false;
  report(delta);
}

void SpinButton::step(int direction) { report(direction >= 0 ? 1 : -1); }

void SpinButton::report(int delta) {
  position_ = std::clamp(position_ + delta, minimum_, maximum_);
  send_named(owner_.data(), msg::kSpinNewDelta, position_, delta);
}

}  // namespace orvadw
