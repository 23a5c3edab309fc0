#include "ui/spin_field.h"

#include <QHBoxLayout>

#include "params/number_text.h"
#include "base/result_codes.h"
#include "ui/named_event.h"
#include "ui/named_message_registry.h"
#include "ui/spin_button.h"

namespace orvadw {

SpinField::SpinField(QWidget* parent) : SpinField(nullptr, 0, parent) {}

SpinField::SpinField(QObject* owner, qint32 notification_id, QWidget* parent) : QWidget(parent) {
  field_ = new NumberField(owner, notification_id, this);
  button_ = new SpinButton(this);
  button_->setFixedWidth(kArrowWidth);
  button_->set_owner(this);
  button_->set_range(-100, 100);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(field_, 1);
  layout->addWidget(button_);
  // Tab lands in the number field; the next Tab leaves the spin field.
  setFocusProxy(field_);
  setFocusPolicy(field_->focusPolicy());
}

void SpinField::set_owner(QObject* owner, qint32 notification_id) {
  field_->set_owner(owner, notification_id);
}

int SpinField::set_format(double minimum, double maximum, int setting1, int setting2,
                          const std::string& format) {
  if (minimum > maximum) return result::kSpinRangeRefused;
  const int rc = field_->set_format(minimum, maximum, setting1, setting2, format);
  if (rc != 0) return rc;
  step_ = SpinNumber::step_for_format(format);
  return 0;
}

bool SpinField::event(QEvent* event) {
  if (const NamedEvent* spin = NamedEvent::as(event, msg::kSpinNewDelta)) {
    apply_delta(static_cast<int>(spin->lparam()));
    return true;
  }
  return QWidget::event(event);
}

void SpinField::apply_delta(int delta) {
  field_->set_number(field_->number() + delta * step_);
  const bool limited = field_->finish_edit();
  button_->set_position(0);
  emit spun(delta, limited);
  field_->report_user_change();
}

}  // namespace orvadw
