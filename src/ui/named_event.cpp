#include "ui/named_event.h"

#include <QCoreApplication>
#include <QObject>
#include <utility>

#include "ui/named_message_registry.h"

namespace orvadw {

NamedEvent::NamedEvent(int type, qint64 wparam, qint64 lparam)
    : QEvent(static_cast<QEvent::Type>(type)), wparam_(wparam), lparam_(lparam) {}

NamedEvent::NamedEvent(int type, qint64 wparam, qint64 lparam, QString text)
    : QEvent(static_cast<QEvent::Type>(type)),
      wparam_(wparam),
      lparam_(lparam),
      has_text_(true),
      text_(std::move(text)) {}

QString NamedEvent::name() const { return NamedMessageRegistry::name_of(type()); }

const NamedEvent* NamedEvent::as(const QEvent* event) {
  if (event == nullptr || event->type() < QEvent::User) return nullptr;
  return dynamic_cast<const NamedEvent*>(event);
}

const NamedEvent* NamedEvent::as(const QEvent* event, const QString& name) {
  const NamedEvent* named = as(event);
  if (named == nullptr || named->type() != NamedMessageRegistry::id(name)) return nullptr;
  return named;
}

namespace {

// The event type a message to target goes with; 0 when there is no target
// or the name cannot be registered.
int delivery_type(const QObject* target, const QString& name) {
  return target == nullptr ? 0 : NamedMessageRegistry::id(name);
}

}  // namespace

bool post_named(QObject* target, const QString& name, qint64 wparam, qint64 lparam) {
  const int type = delivery_type(target, name);
  if (type == 0) return false;
  QCoreApplication::postEvent(target, new NamedEvent(type, wparam, lparam));
  return true;
}

bool post_named(QObject* target, const QString& name, qint64 wparam, qint64 lparam,
                const QString& text) {
  const int type = delivery_type(target, name);
  if (type == 0) return false;
  QCoreApplication::postEvent(target, new NamedEvent(type, wparam, lparam, text));
  return true;
}

bool send_named(QObject* target, const QString& name, qint64 wparam, qint64 lparam) {
  const int type = delivery_type(target, name);
  if (type == 0) return false;
  NamedEvent event(type, wparam, lparam);
  return QCoreApplication::sendEvent(target, &event);
}

bool send_named(QObject* target, const QString& name, qint64 wparam, qint64 lparam,
                const QString& text) {
  const int type = delivery_type(target, name);
  if (type == 0) return false;
  NamedEvent event(type, wparam, lparam, text);
  return QCoreApplication::sendEvent(target, &event);
}

}  // namespace orvadw
