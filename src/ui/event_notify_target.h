#pragma once
// The link's threads report to a window through NotifyTarget without knowing
// Qt; this turns their messages into named events for one QObject. Posting is
// safe from any thread. A waiting send (the modem's progress reports) is
// handled on the receiver's thread and returns the receiver's answer; it is
// released with 0 when the receiver goes away or the target is detached, so
// a worker never waits for a window that is gone.
#include <QObject>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "link/notify_target.h"

namespace orvadw {

class EventNotifyTarget : public NotifyTarget {
 public:
  explicit EventNotifyTarget(QObject* receiver);
  ~EventNotifyTarget() override;
  EventNotifyTarget(const EventNotifyTarget&) = delete;
  EventNotifyTarget& operator=(const EventNotifyTarget&) = delete;

  void post_message(std::string_view name, long wparam, long lparam) override;
  long send_message(std::string_view name, long wparam, const std::string& text) override;

  // Stops all delivery and releases any waiting sender.
  void detach();
  bool attached() const;

 private:
  struct Waiter;
  // Shared with queued deliveries, which may outlive this object.
  struct State {
    std::mutex mutex;
    QObject* receiver = nullptr;                // guarded by mutex
    std::set<std::shared_ptr<Waiter>> waiters;  // guarded by mutex
    void detach();
  };

  std::shared_ptr<State> state_;
  QMetaObject::Connection destroyed_;
};

}  // namespace orvadw
