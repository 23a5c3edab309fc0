#pragma once
// A drop-down choice list over an item table: the list shows the items'
// display texts, and what callers store or send is always an item's value,
// never its display position. Reports focus, selection changes and confirmed
// choices to its owner.
#include <QComboBox>
#include <QStringList>

#include "params/choice_items.h"
#include "ui/control_notifier.h"

namespace orvadw {

class ChoiceList : public QComboBox {
  Q_OBJECT

 public:
  explicit ChoiceList(QWidget* parent = nullptr);
  ChoiceList(QObject* owner, qint32 notification_id, QWidget* parent = nullptr);

  void set_owner(QObject* owner, qint32 notification_id) { notifier_.set_owner(owner, notification_id); }
  QObject* owner() const { return notifier_.owner(); }
  qint32 notification_id() const { return notifier_.notification_id(); }

  // One item per text (value = position, shown), ordered by ChoiceItems'
  // orders (1 ascending ignoring case, -1 descending, else as given); then
  // refills the list. Nothing is selected afterwards.
  void set_items(const QStringList& texts, int order = ChoiceItems::kAsGiven);
  // Shows a copy of another item table with its selection (a bound field's).
  void set_item_table(const ChoiceItems& items);
  const ChoiceItems& item_table() const { return items_; }
  bool set_item_flags(int item_index, unsigned flags);
  // Empties the list and adds the display text of every shown item.
  void refill();

  // The value of the selected item; 0 without items, -1 with items but none
  // selected.
  int selected_value() const;
  // Selects the shown item holding value (no message is sent). -1 without
  // items or when the value is not below the item count.
  int select_value(int value);
  // The selected item's text, "" when there is none.
  QString selected_text() const;

 signals:
  // The user picked a display position; emitted before the owner hears of it,
  // so that a bound value is current when the owner reads it.
  void user_selected(int display_index);

 protected:
  void focusInEvent(QFocusEvent* event) override;

 private:
  void on_index_changed(int index);
  void on_activated(int index);
  void show_selection();

  ControlNotifier notifier_;
  ChoiceItems items_;
  bool program_change_ = false;
};

}  // namespace orvadw
