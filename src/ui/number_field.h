#pragma once
// A one-line number (or text) field with a display format and limits. On
// losing the focus it reformats its text, pulls the value into its limits
// (beeping when it had to) and then tells its owner.
#include <QLineEdit>
#include <string>

#include "params/number_text.h"
#include "ui/control_notifier.h"

namespace orvadw {

class NumberField : public QLineEdit {
  Q_OBJECT

 public:
  explicit NumberField(QWidget* parent = nullptr);
  NumberField(QObject* owner, qint32 notification_id, QWidget* parent = nullptr);

  void set_owner(QObject* owner, qint32 notification_id) { notifier_.set_owner(owner, notification_id); }
  QObject* owner() const { return notifier_.owner(); }
  qint32 notification_id() const { return notifier_.notification_id(); }

  // Limits and format ("%0.1f", "%4h", "%s", ...). -1 for a format shorter
  // than two characters (nothing changes).
  int set_format(double minimum, double maximum, int setting1, int setting2,
                 const std::string& format);
  const NumberText& rules() const { return rules_; }

  // Program-side value changes: no message goes to the owner.
  void set_number(double value);
  double number() const;
  void set_value_text(const QString& text);

  // While set, losing the focus does not reformat.
  void set_guard(bool on) { rules_.guard = on; }
  bool guard() const { return rules_.guard; }
  // A redirected field never keeps the focus and is never limited.
  void set_read_only_redirect(bool on) { rules_.read_only_redirect = on; }
  bool read_only_redirect() const { return rules_.read_only_redirect; }

  // What losing the focus does, without the focus change: reformat, limit,
  // beep. True when a limit applied.
  bool finish_edit();
  // True while the field holds text typed since it was last finished.
  bool edit_pending() const { return pending_; }
  // Everything losing the focus does, for a field that still holds typed
  // text: finish it, tell the bound value (edit_finished) and the owner
  // ("WM_USER_CEDITQN_LOSTFOCUS"). Whoever reads or sends values calls it
  // first, since Enter or a click on a button that takes no focus leaves
  // the focus where it was. False when nothing was pending.
  bool finish_pending_edit();
  // Tells the owner that the text changed by the user's hand other than by
  // typing (the spin arrows).
  void report_user_change() { notifier_.notify(msg_on_change()); }

 signals:
  // The user typed; the text is already in the field's rules.
  void user_edited(const QString& text);
  // The focus-loss step is done (text reformatted and limited); emitted
  // before the owner hears of it.
  void edit_finished(bool limited);

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void on_text_edited(const QString& text);
  void show_rules_text();
  void leave();
  static const char* msg_on_change();

  ControlNotifier notifier_;
  NumberText rules_;
  bool pending_ = false;
};

}  // namespace orvadw
