#include "ui/control_notifier.h"

#include "ui/named_event.h"

namespace orvadw {

bool ControlNotifier::notify(const char* name, qint64 lparam) const {
  if (id_ == 0 || owner_.isNull()) return false;
  send_named(owner_.data(), QString::fromLatin1(name), id_, lparam);
  return true;
}

}  // namespace orvadw
