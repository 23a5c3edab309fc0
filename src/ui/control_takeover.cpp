#include "ui/control_takeover.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>

namespace orvadw {

void copy_template_state(QWidget* from, QWidget* to) {
  to->setEnabled(from->isEnabled());
  if (from->isHidden()) to->hide();
  auto* old_button = qobject_cast<QAbstractButton*>(from);
  auto* new_button = qobject_cast<QAbstractButton*>(to);
  if (old_button != nullptr && new_button != nullptr) {
    new_button->setText(old_button->text());
    new_button->setIcon(old_button->icon());
    new_button->setCheckable(old_button->isCheckable());
  }
  auto* old_push = qobject_cast<QPushButton*>(from);
  auto* new_push = qobject_cast<QPushButton*>(to);
  if (old_push != nullptr && new_push != nullptr) {
    new_push->setDefault(old_push->isDefault());
    new_push->setAutoDefault(old_push->autoDefault());
  }
  auto* old_edit = qobject_cast<QLineEdit*>(from);
  if (old_edit != nullptr) {
    if (auto* number = qobject_cast<NumberField*>(to)) {
      number->set_value_text(old_edit->text());
    } else if (auto* spin = qobject_cast<SpinField*>(to)) {
      spin->set_text(old_edit->text());
    }
  }
}

}  // namespace orvadw
