#pragma once
// One registered window message in flight: its type comes from the named
// message registry, and it carries the two message parameters (and, for the
// modem's progress reports, a text).
#include <QEvent>
#include <QString>
#include <QtGlobal>

class QObject;

namespace orvadw {

class NamedEvent : public QEvent {
 public:
  NamedEvent(int type, qint64 wparam, qint64 lparam);
  NamedEvent(int type, qint64 wparam, qint64 lparam, QString text);

  QString name() const;
  qint64 wparam() const { return wparam_; }
  qint64 lparam() const { return lparam_; }
  bool has_text() const { return has_text_; }
  const QString& text() const { return text_; }
  // The receiver's answer to a message that waits for one (0 unless set).
  void set_result(qint64 result) const { result_ = result; }
  qint64 result() const { return result_; }

  // The event as a NamedEvent of that name, or nullptr.
  static const NamedEvent* as(const QEvent* event, const QString& name);
  static const NamedEvent* as(const QEvent* event);

 private:
  qint64 wparam_;
  qint64 lparam_;
  bool has_text_ = false;
  QString text_;
  mutable qint64 result_ = 0;
};

// Queues the message for the target's thread; safe from any thread. False
// when there is no target or the name cannot be registered.
bool post_named(QObject* target, const QString& name, qint64 wparam, qint64 lparam);
bool post_named(QObject* target, const QString& name, qint64 wparam, qint64 lparam,
                const QString& text);

// Delivers the message at once, on the calling (UI) thread. Returns what the
// target's event handler returned; false when there is no target.
bool send_named(QObject* target, const QString& name, qint64 wparam, qint64 lparam);
bool send_named(QObject* target, const QString& name, qint64 wparam, qint64 lparam,
                const QString& text);

}  // namespace orvadw
