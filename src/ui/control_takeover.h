#pragma once
// Dialog code that wants a notifying control at a template control's place
// (a button, a choice list, a number or spin field outside the parameter
// table) takes the template control over: the notifying control replaces it,
// keeping its place, size and caption, and reports to the owner with the
// notification id.
#include <QWidget>

#include "ui/choice_list.h"
#include "ui/dialog_template_registry.h"
#include "ui/field_binder.h"
#include "ui/notifying_button.h"
#include "ui/number_field.h"
#include "ui/spin_field.h"

namespace orvadw {

// What a new control keeps of the template control it replaces (captions,
// default-button state, text), beyond what every replacement keeps.
void copy_template_state(QWidget* from, QWidget* to);

// The new control, or nullptr when parent has no control of that id. A
// template control that already is of the wanted kind is kept and given the
// owner.
template <typename Control>
Control* take_over(QWidget* parent, int control_id, QObject* owner, qint32 notification_id) {
  QWidget* old = find_control(parent, control_id);
  if (old == nullptr) return nullptr;
  if (auto* same = qobject_cast<Control*>(old)) {
    same->set_owner(owner, notification_id);
    return same;
  }
  auto* control = new Control(owner, notification_id);
  copy_template_state(old, control);
  replace_placeholder(old, control);
  return control;
}

}  // namespace orvadw
