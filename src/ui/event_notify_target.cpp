#include "ui/event_notify_target.h"

#include <QCoreApplication>
#include <QThread>

#include "ui/named_event.h"
#include "ui/named_message_registry.h"

namespace orvadw {

struct EventNotifyTarget::Waiter {
  std::mutex mutex;
  std::condition_variable done_cv;
  bool done = false;
  long answer = 0;

  void finish(long value) {
    std::lock_guard lock(mutex);
    if (done) return;
    answer = value;
    done = true;
    done_cv.notify_all();
  }
};

void EventNotifyTarget::State::detach() {
  std::set<std::shared_ptr<Waiter>> released;
  {
    std::lock_guard lock(mutex);
    receiver = nullptr;
    released.swap(waiters);
  }
  for (const auto& waiter : released) waiter->finish(0);
}

EventNotifyTarget::EventNotifyTarget(QObject* receiver) : state_(std::make_shared<State>()) {
  state_->receiver = receiver;
  if (receiver != nullptr) {
    // Direct: runs while the receiver is being destroyed, before its pending
    // events are dropped.
    std::shared_ptr<State> state = state_;
    destroyed_ = QObject::connect(receiver, &QObject::destroyed, [state] { state->detach(); });
  }
}

EventNotifyTarget::~EventNotifyTarget() {
  QObject::disconnect(destroyed_);
  state_->detach();
}

bool EventNotifyTarget::attached() const {
  std::lock_guard lock(state_->mutex);
  return state_->receiver != nullptr;
}

void EventNotifyTarget::detach() { state_->detach(); }

void EventNotifyTarget::post_message(std::string_view name, long wparam, long lparam) {
  const QString message = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  std::lock_guard lock(state_->mutex);
  if (state_->receiver != nullptr) post_named(state_->receiver, message, wparam, lparam);
}

long EventNotifyTarget::send_message(std::string_view name, long wparam, const std::string& text) {
  const QString message = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  const QString body = QString::fromStdString(text);
  const int type = NamedMessageRegistry::id(message);
  if (type == 0) return 0;

  // The adapter may be destroyed while this thread waits: hold the state.
  const std::shared_ptr<State> state = state_;
  QObject* local_receiver = nullptr;
  auto waiter = std::make_shared<Waiter>();
  {
    std::lock_guard lock(state->mutex);
    QObject* receiver = state->receiver;
    if (receiver == nullptr) return 0;
    if (receiver->thread() == QThread::currentThread()) {
      local_receiver = receiver;
    } else {
      state->waiters.insert(waiter);
      // Runs on the receiver's thread; dropped when the receiver is
      // destroyed first, and then detach() has released the waiter.
      QMetaObject::invokeMethod(
          receiver,
          [state, waiter, type, wparam, body] {
            QObject* target = nullptr;
            {
              std::lock_guard inner(state->mutex);
              target = state->receiver;
            }
            long answer = 0;
            if (target != nullptr) {
              NamedEvent event(type, wparam, 0, body);
              QCoreApplication::sendEvent(target, &event);
              answer = static_cast<long>(event.result());
            }
            waiter->finish(answer);
          },
          Qt::QueuedConnection);
    }
  }
  if (local_receiver != nullptr) {
    // Already on the receiver's thread: deliver at once, without the lock
    // (the handler may post or detach).
    NamedEvent event(type, wparam, 0, body);
    QCoreApplication::sendEvent(local_receiver, &event);
    return static_cast<long>(event.result());
  }
  long answer;
  {
    std::unique_lock lock(waiter->mutex);
    waiter->done_cv.wait(lock, [&] { return waiter->done; });
    answer = waiter->answer;
  }
  std::lock_guard lock(state->mutex);
  state->waiters.erase(waiter);
  return answer;
}

}  // namespace orvadw
