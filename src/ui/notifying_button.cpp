#include "ui/notifying_button.h"

#include <QApplication>
#include <QFocusEvent>

#include "ui/button_icons.h"
#include "ui/named_message_registry.h"

namespace orvadw {

NotifyingButton::NotifyingButton(QWidget* parent) : NotifyingButton(nullptr, 0, parent) {}

NotifyingButton::NotifyingButton(QObject* owner, qint32 notification_id, QWidget* parent)
    : QPushButton(parent) {
  notifier_.set_owner(owner, notification_id);
  connect(this, &QPushButton::clicked, this, [this] { notifier_.notify(msg::kButtonClick); });
}

int NotifyingButton::set_icon(int resource_id) {
  const QIcon icon = ButtonIcons::icon(resource_id);
  if (icon.isNull()) return -1;
  setIcon(icon);
  icon_id_ = resource_id;
  return 0;
}

void NotifyingButton::mouseDoubleClickEvent(QMouseEvent* event) {
  QPushButton::mouseDoubleClickEvent(event);
  notifier_.notify(msg::kButtonDoubleClick);
}

void NotifyingButton::focusOutEvent(QFocusEvent* event) {
  QPushButton::focusOutEvent(event);
  if (event->reason() == Qt::PopupFocusReason) return;  // a menu is not a focus move
  // The widget that receives the focus is already the application's focus.
  notifier_.notify(msg::kButtonKillFocus, reinterpret_cast<qintptr>(QApplication::focusWidget()));
}

}  // namespace orvadw
