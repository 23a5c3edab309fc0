#include "ui/field_binder.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QTableWidget>

#include "ui/chart_view.h"
#include "ui/choice_list.h"
#include "ui/dialog_template_registry.h"
#include "ui/number_field.h"
#include "ui/spin_field.h"
#include "ui/table_grid.h"

namespace orvadw {

void replace_placeholder(QWidget* old, QWidget* fresh) {
  QWidget* parent = old->parentWidget();
  fresh->setParent(parent);
  fresh->setObjectName(old->objectName());
  fresh->setSizePolicy(old->sizePolicy());
  fresh->setMinimumSize(old->minimumSize());
  fresh->setMaximumSize(old->maximumSize());
  if (old->testAttribute(Qt::WA_SetFont)) fresh->setFont(old->font());
  if (!old->toolTip().isEmpty()) fresh->setToolTip(old->toolTip());
  bool in_layout = false;
  if (parent != nullptr && parent->layout() != nullptr) {
    if (QLayoutItem* slot = parent->layout()->replaceWidget(old, fresh)) {
      delete slot;
      in_layout = true;
    }
  }
  if (!in_layout) fresh->setGeometry(old->geometry());
  // Keep the template's tab position: fresh follows old, then old leaves.
  if (fresh->focusPolicy() != Qt::NoFocus && old->focusPolicy() != Qt::NoFocus) {
    QWidget::setTabOrder(old, fresh);
  }
  delete old;
}

namespace {

template <typename W>
W* reuse_or_replace(QWidget* placeholder) {
  if (auto* same = qobject_cast<W*>(placeholder)) return same;
  auto* fresh = new W;
  replace_placeholder(placeholder, fresh);
  return fresh;
}

}  // namespace

FieldBinder::FieldBinder(ParameterFieldList& fields, QWidget* dialog, QObject* owner)
    : fields_(fields), dialog_(dialog), owner_(owner != nullptr ? owner : dialog) {
  fields_.add_observer(this);
}

FieldBinder::~FieldBinder() { fields_.remove_observer(this); }

void FieldBinder::set_pages(std::vector<QWidget*> pages) {
  pages_.clear();
  for (QWidget* page : pages) pages_.emplace_back(page);
}

QWidget* FieldBinder::page_parent(int page) const {
  if (page == -1) return dialog_.data();
  if (page < 0 || static_cast<std::size_t>(page) >= pages_.size()) return nullptr;
  return pages_[static_cast<std::size_t>(page)].data();
}

QWidget* FieldBinder::placeholder(QWidget* parent, int control_id) {
  QWidget* found = find_control(parent, control_id);
  if (found == nullptr) missing_.push_back(control_id);
  return found;
}

int FieldBinder::bind_all() {
  int failed = 0;
  for (ParameterField& field : fields_) {
    if (is_bound(field)) continue;
    if (bind(field) != 0) ++failed;
  }
  return failed;
}

bool FieldBinder::is_bound(const ParameterField& field) const { return bound_.count(&field) != 0; }

int FieldBinder::bind(ParameterField& field) {
  if (is_bound(field)) return -1;
  Bound& bound = bound_[&field];
  bound.field = &field;
  if (field.is_hidden_value()) return 0;  // the value lives in the model only

  const bool wants_controls = field.has_frame() || field.has_label() || field.has_unit() ||
                              field.value_control() != ValueControl::kNone;
  if (!wants_controls) return 0;
  QWidget* parent = page_parent(field.page());
  int rc = 0;
  auto take = [&](int control_id) -> QWidget* {
    if (parent == nullptr) {
      missing_.push_back(control_id);
      rc = -1;
      return nullptr;
    }
    QWidget* found = placeholder(parent, control_id);
    if (found == nullptr) rc = -1;
    return found;
  };

  if (field.has_frame() || field.has_label()) {
    const int id = field.label_control_id();
    if (QWidget* old = take(id)) {
      if (field.has_frame()) {
        bound.label = reuse_or_replace<QGroupBox>(old);
      } else {
        bound.label = reuse_or_replace<QLabel>(old);
      }
      by_id_[id] = bound.label;
    }
  }
  if (field.value_control() != ValueControl::kNone) {
    const int id = field.value_control_id();
    if (QWidget* old = take(id)) {
      bound.value = make_value(bound, old);
      by_id_[id] = bound.value;
    }
  }
  if (field.has_unit()) {
    const int id = field.unit_control_id();
    if (QWidget* old = take(id)) {
      bound.unit = reuse_or_replace<QLabel>(old);
      by_id_[id] = bound.unit;
    }
  }

  show_state(bound);
  show_items(bound);
  if (field.value_control() != ValueControl::kChart) show_value(bound);
  connect_value(bound);
  return rc;
}

QWidget* FieldBinder::make_value(Bound& bound, QWidget* old) {
  ParameterField& field = *bound.field;
  const qint32 id = field.value_control_id();
  const NumberText& rules = field.number_field();
  switch (field.value_control()) {
    case ValueControl::kChoice: {
      auto* list = new ChoiceList(owner_.data(), id);
      replace_placeholder(old, list);
      return list;
    }
    case ValueControl::kEdit: {
      auto* edit = new NumberField(owner_.data(), id);
      edit->set_format(rules.minimum(), rules.maximum(), rules.setting1(), rules.setting2(),
                       rules.format());
      replace_placeholder(old, edit);
      return edit;
    }
    case ValueControl::kSpin: {
      auto* spin = new SpinField(owner_.data(), id);
      spin->set_format(rules.minimum(), rules.maximum(), rules.setting1(), rules.setting2(),
                       rules.format());
      replace_placeholder(old, spin);
      return spin;
    }
    case ValueControl::kStaticText:
      return reuse_or_replace<QLabel>(old);
    case ValueControl::kChart: {
      ChartView* chart = ChartView::create(old->parentWidget(), field);
      replace_placeholder(old, chart->widget());
      bound.chart = chart;
      return chart->widget();
    }
    case ValueControl::kGrid: {
      // The view shows the field's own cells.
      auto* grid = new TableGrid(field.grid());
      // Rows, columns and column widths come from the template when its
      // placeholder is a table and the field has none yet.
      auto* table = qobject_cast<QTableWidget*>(old);
      if (table != nullptr && grid->rows() == 0 && grid->columns() == 0) {
        grid->set_dimensions(table->rowCount(), table->columnCount());
        for (int c = 0; c < table->columnCount(); ++c) {
          grid->set_column_width(c, table->columnWidth(c));
        }
      }
      replace_placeholder(old, grid);
      bound.grid = grid;
      return grid;
    }
    case ValueControl::kNone:
      break;
  }
  return nullptr;
}

void FieldBinder::user_changed(ParameterField& field, const std::function<void()>& change) {
  const ParameterField* outer = user_field_;
  user_field_ = &field;
  change();
  user_field_ = outer;
}

void FieldBinder::connect_value(Bound& bound) {
  ParameterField* field = bound.field;
  if (auto* list = qobject_cast<ChoiceList*>(bound.value.data())) {
    connect(list, &ChoiceList::user_selected, this, [this, field](int display_index) {
      user_changed(*field, [&] { field->choose_display_index(display_index); });
    });
    return;
  }
  NumberField* edit = qobject_cast<NumberField*>(bound.value.data());
  auto* spin = qobject_cast<SpinField*>(bound.value.data());
  if (spin != nullptr) edit = spin->number_field();
  if (edit == nullptr) return;
  connect(edit, &NumberField::user_edited, this, [this, field](const QString& text) {
    user_changed(*field, [&] { field->edit_text(text.toStdString()); });
  });
  // The field does the same focus-loss step as the widget, so both end with
  // the same text; the model's text is the one shown afterwards.
  auto finish = [this, field, edit] {
    user_changed(*field, [&] {
      field->edit_text(edit->text().toStdString());
      field->finish_edit();
    });
    const QString model = QString::fromStdString(field->value_text());
    if (model != edit->text()) edit->set_value_text(model);
  };
  connect(edit, &NumberField::edit_finished, this, finish);
  if (spin != nullptr) connect(spin, &SpinField::spun, this, finish);
}

void FieldBinder::show_value(Bound& bound) {
  ParameterField& field = *bound.field;
  QWidget* value = bound.value.data();
  if (value == nullptr) return;
  const QString text = QString::fromStdString(field.value_text());
  switch (field.value_control()) {
    case ValueControl::kChoice:
      static_cast<ChoiceList*>(value)->set_item_table(field.items());
      break;
    case ValueControl::kEdit:
      static_cast<NumberField*>(value)->set_value_text(text);
      break;
    case ValueControl::kSpin:
      static_cast<SpinField*>(value)->set_text(text);
      break;
    case ValueControl::kStaticText:
      static_cast<QLabel*>(value)->setText(text);
      break;
    case ValueControl::kChart:
      break;  // the chart paints the field's series, which tells it of each point
    case ValueControl::kGrid:
    case ValueControl::kNone:
      break;
  }
}

void FieldBinder::show_items(Bound& bound) {
  if (auto* list = qobject_cast<ChoiceList*>(bound.value.data())) {
    list->set_item_table(bound.field->items());
  } else if (bound.field->is_list_display()) {
    show_value(bound);
  }
}

void FieldBinder::show_state(Bound& bound) {
  const ParameterField& field = *bound.field;
  const bool shown = field.is_shown();
  const bool enabled = field.is_enabled();
  for (QWidget* w : {bound.label.data(), bound.value.data(), bound.unit.data()}) {
    if (w != nullptr) w->setHidden(!shown);
  }
  if (bound.label) bound.label->setEnabled(enabled);
  if (bound.unit) bound.unit->setEnabled(enabled);
  if (bound.value) bound.value->setEnabled(field.is_value_enabled());

  const QString label = QString::fromStdString(field.label_text());
  if (auto* frame = qobject_cast<QGroupBox*>(bound.label.data())) {
    frame->setTitle(label);
  } else if (auto* caption = qobject_cast<QLabel*>(bound.label.data())) {
    caption->setText(label);
  }
  if (auto* unit = qobject_cast<QLabel*>(bound.unit.data())) {
    unit->setText(QString::fromStdString(field.unit_text()));
  }
}

const FieldBinder::Bound* FieldBinder::find(const ParameterField& field) const {
  auto it = bound_.find(&field);
  return it == bound_.end() ? nullptr : &it->second;
}

void FieldBinder::field_value_changed(ParameterField& field, ChangeOrigin) {
  if (&field == user_field_) return;  // the widget already shows it
  auto it = bound_.find(&field);
  if (it != bound_.end()) show_value(it->second);
}

void FieldBinder::field_items_changed(ParameterField& field) {
  if (&field == user_field_) return;
  auto it = bound_.find(&field);
  if (it != bound_.end()) show_items(it->second);
}

void FieldBinder::field_state_changed(ParameterField& field) {
  auto it = bound_.find(&field);
  if (it != bound_.end()) show_state(it->second);
}

QWidget* FieldBinder::label_widget(const ParameterField& field) const {
  const Bound* b = find(field);
  return b != nullptr ? b->label.data() : nullptr;
}

QWidget* FieldBinder::value_widget(const ParameterField& field) const {
  const Bound* b = find(field);
  return b != nullptr ? b->value.data() : nullptr;
}

QWidget* FieldBinder::unit_widget(const ParameterField& field) const {
  const Bound* b = find(field);
  return b != nullptr ? b->unit.data() : nullptr;
}

QWidget* FieldBinder::control(int control_id) const {
  auto it = by_id_.find(control_id);
  return it == by_id_.end() ? nullptr : it->second.data();
}

ChoiceList* FieldBinder::choice_list(int control_id) const {
  return qobject_cast<ChoiceList*>(control(control_id));
}

NumberField* FieldBinder::number_field(int control_id) const {
  return qobject_cast<NumberField*>(control(control_id));
}

SpinField* FieldBinder::spin_field(int control_id) const {
  return qobject_cast<SpinField*>(control(control_id));
}

QLabel* FieldBinder::label(int control_id) const { return qobject_cast<QLabel*>(control(control_id)); }

ChartView* FieldBinder::chart(int control_id) const {
  for (const auto& [field, bound] : bound_) {
    if (bound.chart != nullptr && bound.value && field->value_control_id() == control_id) {
      return bound.chart;
    }
  }
  return nullptr;
}

GridView* FieldBinder::grid(int control_id) const {
  for (const auto& [field, bound] : bound_) {
    if (bound.grid != nullptr && bound.value && field->value_control_id() == control_id) {
      return bound.grid;
    }
  }
  return nullptr;
}

std::vector<QWidget*> FieldBinder::focus_chain() const {
  std::vector<QWidget*> chain;
  for (const ParameterField& field : fields_) {
    QWidget* value = value_widget(field);
    if (value == nullptr) continue;
    switch (field.value_control()) {
      case ValueControl::kChoice:
      case ValueControl::kEdit:
        break;
      case ValueControl::kSpin:
        value = static_cast<SpinField*>(value)->number_field();
        break;
      default:
        continue;  // texts, charts and grids are not Tab stops
    }
    if (value->isVisible() && value->isEnabled()) chain.push_back(value);
  }
  return chain;
}

bool FieldBinder::focus_next(bool backward) {
  const std::vector<QWidget*> chain = focus_chain();
  if (chain.empty()) return false;
  QWidget* current = QApplication::focusWidget();
  const int n = static_cast<int>(chain.size());
  int at = -1;
  for (int i = 0; i < n; ++i) {
    if (chain[static_cast<std::size_t>(i)] == current ||
        (current != nullptr && chain[static_cast<std::size_t>(i)]->isAncestorOf(current))) {
      at = i;
      break;
    }
  }
  int next;
  if (at < 0) {
    next = backward ? n - 1 : 0;
  } else {
    next = backward ? (at + n - 1) % n : (at + 1) % n;
  }
  chain[static_cast<std::size_t>(next)]->setFocus(backward ? Qt::BacktabFocusReason
                                                            : Qt::TabFocusReason);
  return true;
}

}  // namespace orvadw
