#pragma once
// A push button that reports clicks, double-clicks and focus loss to its
// owner as named messages.
#include <QPushButton>

#include "ui/control_notifier.h"

namespace orvadw {

class NotifyingButton : public QPushButton {
  Q_OBJECT

 public:
  explicit NotifyingButton(QWidget* parent = nullptr);
  NotifyingButton(QObject* owner, qint32 notification_id, QWidget* parent = nullptr);

  void set_owner(QObject* owner, qint32 notification_id) { notifier_.set_owner(owner, notification_id); }
  QObject* owner() const { return notifier_.owner(); }
  qint32 notification_id() const { return notifier_.notification_id(); }

  // Shows the icon of that resource id: 0, or -1 (nothing changes) when the
  // icon cannot be loaded.
  int set_icon(int resource_id);
  int icon_id() const { return icon_id_; }

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  ControlNotifier notifier_;
  int icon_id_ = -1;
};

}  // namespace orvadw
