#include "ui/number_field.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

#include "ui/beeper.h"
#include "ui/focus_tracker.h"
#include "ui/named_message_registry.h"

namespace orvadw {

NumberField::NumberField(QWidget* parent) : NumberField(nullptr, 0, parent) {}

NumberField::NumberField(QObject* owner, qint32 notification_id, QWidget* parent)
    : QLineEdit(parent) {
  notifier_.set_owner(owner, notification_id);
  FocusTracker::instance();  // start tracking before the first focus change
  connect(this, &QLineEdit::textEdited, this, &NumberField::on_text_edited);
}

int NumberField::set_format(double minimum, double maximum, int setting1, int setting2,
                            const std::string& format) {
  return rules_.set_format(minimum, maximum, setting1, setting2, format);
}

void NumberField::set_number(double value) {
  rules_.set_number(value);
  show_rules_text();
}

double NumberField::number() const { return rules_.number(); }

void NumberField::set_value_text(const QString& text) {
  rules_.set_text(text.toStdString());
  show_rules_text();
}

const char* NumberField::msg_on_change() { return msg::kEditOnChange; }

void NumberField::show_rules_text() {
  const QString text = QString::fromStdString(rules_.text());
  if (text != this->text()) setText(text);
}

void NumberField::on_text_edited(const QString& text) {
  rules_.set_text(text.toStdString());
  pending_ = true;
  emit user_edited(text);
  notifier_.notify(msg::kEditOnChange);
}

bool NumberField::finish_edit() {
  pending_ = false;
  const std::string before = rules_.text();
  const int caret = cursorPosition();
  const bool limited = rules_.finish_edit();
  if (rules_.text() != before) {
    setText(QString::fromStdString(rules_.text()));
    const char kind = rules_.kind();
    if (kind == 's') {
      setSelection(0, text().size());  // the cut text stays selected
    } else if (kind == 'f') {
      setCursorPosition(std::min<int>(caret, text().size()));
    }
  }
  if (limited) Beeper::beep();
  return limited;
}

void NumberField::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // A context menu or the window losing activation is not leaving the field.
  if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) return;
  leave();
}

void NumberField::leave() {
  const bool limited = finish_edit();
  emit edit_finished(limited);
  notifier_.notify(msg::kEditLostFocus);
}

bool NumberField::finish_pending_edit() {
  if (!pending_) return false;
  leave();
  return true;
}

void NumberField::keyPressEvent(QKeyEvent* event) {
  // Enter goes on to the dialog's default button with the focus still here:
  // the value it acts on must be the finished one.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) finish_pending_edit();
  QLineEdit::keyPressEvent(event);
}

void NumberField::focusInEvent(QFocusEvent* event) {
  if (rules_.read_only_redirect) {
    QLineEdit::focusInEvent(event);
    QPointer<QWidget> previous = FocusTracker::instance().current();
    if (previous && previous != this) {
      // Handing the focus back from inside the focus change would nest two
      // changes; do it as soon as this one is over.
      QTimer::singleShot(0, previous, [previous] {
        if (previous) previous->setFocus(Qt::OtherFocusReason);
      });
    }
    return;
  }
  QLineEdit::focusInEvent(event);
  if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) return;
  selectAll();  // the caret goes to the end, which scrolls it into view
}

}  // namespace orvadw
