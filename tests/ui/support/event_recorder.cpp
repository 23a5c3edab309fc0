#include "support/event_recorder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include "ui/named_event.h"

namespace orvadw::test {

std::vector<RecordedMessage> EventRecorder::named(const QString& name) const {
  std::vector<RecordedMessage> out;
  for (const auto& m : messages_) {
    if (m.name == name) out.push_back(m);
  }
  return out;
}

int EventRecorder::count(const QString& name) const { return static_cast<int>(named(name).size()); }

bool EventRecorder::wait_for(std::size_t count, int limit_ms) {
  QElapsedTimer timer;
  timer.start();
  while (messages_.size() < count && timer.elapsed() < limit_ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(1);
  }
  return messages_.size() >= count;
}

bool EventRecorder::event(QEvent* event) {
  if (const NamedEvent* named = NamedEvent::as(event)) {
    messages_.push_back({named->name(), named->wparam(), named->lparam(), named->text(),
                         named->has_text()});
    return true;
  }
  return QObject::event(event);
}

}  // namespace orvadw::test
