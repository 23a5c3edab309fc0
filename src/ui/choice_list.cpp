#include "ui/choice_list.h"

#include <QFocusEvent>

#include "ui/named_message_registry.h"

namespace orvadw {

ChoiceList::ChoiceList(QWidget* parent) : ChoiceList(nullptr, 0, parent) {}

ChoiceList::ChoiceList(QObject* owner, qint32 notification_id, QWidget* parent) : QComboBox(parent) {
  notifier_.set_owner(owner, notification_id);
  setEditable(false);
  connect(this, &QComboBox::currentIndexChanged, this, &ChoiceList::on_index_changed);
  connect(this, &QComboBox::activated, this, &ChoiceList::on_activated);
}

void ChoiceList::set_items(const QStringList& texts, int order) {
  std::vector<std::string> list;
  list.reserve(static_cast<std::size_t>(texts.size()));
  for (const QString& t : texts) list.push_back(t.toStdString());
  items_.set_items(list, order);
  refill();
}

void ChoiceList::set_item_table(const ChoiceItems& items) {
  items_ = items;
  refill();
}

bool ChoiceList::set_item_flags(int item_index, unsigned flags) {
  if (!items_.set_flags(item_index, flags)) return false;
  refill();
  return true;
}

void ChoiceList::refill() {
  program_change_ = true;
  clear();
  for (const std::string& text : items_.display_texts()) addItem(QString::fromStdString(text));
  program_change_ = false;
  show_selection();
}

void ChoiceList::show_selection() {
  program_change_ = true;
  setCurrentIndex(items_.selected_display_index());
  program_change_ = false;
}

int ChoiceList::selected_value() const { return items_.selected_value(); }

int ChoiceList::select_value(int value) {
  const int rc = items_.select_value(value);
  show_selection();
  return rc;
}

QString ChoiceList::selected_text() const { return QString::fromStdString(items_.selected_text()); }

void ChoiceList::on_index_changed(int index) {
  if (program_change_) return;
  items_.set_selected_display_index(index);
  emit user_selected(index);
  notifier_.notify(msg::kComboSelChange);
}

void ChoiceList::on_activated(int index) {
  if (program_change_) return;
  if (items_.selected_display_index() != index) {
    // A choice confirmed without a change signal first (same index re-picked
    // after a program change): keep the table in step.
    items_.set_selected_display_index(index);
    emit user_selected(index);
  }
  notifier_.notify(msg::kComboSelEndOk);
}

void ChoiceList::focusInEvent(QFocusEvent* event) {
  QComboBox::focusInEvent(event);
  if (event->reason() == Qt::PopupFocusReason) return;  // back from its own drop-down
  notifier_.notify(msg::kComboSetFocus);
}

}  // namespace orvadw
