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

bool post(QObject* target, const QString& name, NamedEvent* (*make)(int, qint64, qint64, const QString&),
          qint64 wparam, qint64 lparam, const QString& text) {
  if (target == nullptr) return false;
  const int type = NamedMessageRegistry::id(name);
  if (type == 0) return false;
  QCoreApplication::postEvent(target, make(type, wparam, lparam, text));
  return true;
}

NamedEvent* make_plain(int type, qint64 w, qint64 l, const QString&) { return new NamedEvent(type, w, l); }
NamedEvent* make_text(int type, qint64 w, qint64 l, const QString& text) {
  return new NamedEvent(type, w, l, text);
}

}  // namespace

bool post_named(QObject* target, const QString& name, qint64 wparam, qint64 lparam) {
  return post(target, name, make_plain, wparam, lparam, QString());
}

bool post_named(QObject* target, const QString& name, qint64 wparam, qint64 lparam,
                const QString& text) {
  return post(target, name, make_text, wparam, lparam, text);
}

bool send_named(QObject* target, const QString& name, qint64 wparam, qint64 lparam) {
  if (target == nullptr) return false;
  const int type = NamedMessageRegistry::id(name);
  if (type == 0) return false;
  NamedEvent event(type, wparam, lparam);
  return QCoreApplication::sendEvent(target, &event);
}

bool send_named(QObject* target, const QString& name, qint64 wparam, qint64 lparam,
                const QString& text) {
  if (target == nullptr) return false;
  const int type = NamedMessageRegistry::id(name);
  if (type == 0) return false;
  NamedEvent event(type, wparam, lparam, text);
  return QCoreApplication::sendEvent(target, &event);
}

}  // namespace orvadw
