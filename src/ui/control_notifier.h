#pragma once
// What every notifying control shares: the owner that receives its messages
// and the notification id that goes with them as the first parameter.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QtGlobal>

namespace orvadw {

class ControlNotifier {
 public:
  void set_owner(QObject* owner, qint32 notification_id) {
    owner_ = owner;
    id_ = notification_id;
  }
  QObject* owner() const { return owner_.data(); }
  qint32 notification_id() const { return id_; }

  // Sends (synchronously) the message with (notification id, lparam) to the
  // owner; nothing when the id is 0 or there is no owner. True when sent.
  bool notify(const char* name, qint64 lparam = 0) const;

 private:
  QPointer<QObject> owner_;
  qint32 id_ = 0;
};

}  // namespace orvadw
