#pragma once
// Gives the fields of a parameter set their controls: for each field the
// label (or frame), value and unit controls take the place of the template's
// placeholders "c<control id>", and model and widgets stay in step both ways.
// What the user types, picks or spins reaches the field as a user change;
// what the program sets in a field (decode, load, rules) reaches the widget
// without counting as a user change and without any control message.
//
// The binder observes the field list: destroy it before the list.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <unordered_map>
#include <vector>

#include "params/parameter_field.h"
#include "params/parameter_field_list.h"

class QLabel;

namespace orvadw {

class ChartView;
class ChoiceList;
class GridView;
class NumberField;
class SpinField;

class FieldBinder : public QObject, public FieldObserver {
  Q_OBJECT

 public:
  // dialog: where the placeholders of page -1 live; owner: where the
  // controls' messages go (the dialog when none is given).
  FieldBinder(ParameterFieldList& fields, QWidget* dialog, QObject* owner = nullptr);
  ~FieldBinder() override;
  FieldBinder(const FieldBinder&) = delete;
  FieldBinder& operator=(const FieldBinder&) = delete;

  // The tab pages, in page order: page i's placeholders are looked up there.
  void set_pages(std::vector<QWidget*> pages);

  // Binds every field not bound yet, in table order. Returns the number of
  // fields that lacked a placeholder or a page.
  int bind_all();
  // Creates the controls of one field. -1 when the field already has them,
  // or when a placeholder (or its page) is missing: the field then keeps its
  // value in the model alone for that control.
  int bind(ParameterField& field);
  bool is_bound(const ParameterField& field) const;
  // The control ids whose placeholders were not found, in the order met.
  const std::vector<int>& missing_controls() const { return missing_; }

  QWidget* label_widget(const ParameterField& field) const;
  QWidget* value_widget(const ParameterField& field) const;
  QWidget* unit_widget(const ParameterField& field) const;
  // A created control by control id (label, frame, value or unit).
  QWidget* control(int control_id) const;
  ChoiceList* choice_list(int control_id) const;
  NumberField* number_field(int control_id) const;
  SpinField* spin_field(int control_id) const;
  QLabel* label(int control_id) const;
  ChartView* chart(int control_id) const;
  GridView* grid(int control_id) const;

  // The widgets that take the focus, in table order: the value controls of
  // fields that are shown and enabled.
  std::vector<QWidget*> focus_chain() const;
  // Moves the focus to the next (or previous) field, wrapping at both ends.
  // False when no field can take the focus.
  bool focus_next(bool backward = false);

  // FieldObserver.
  void field_value_changed(ParameterField& field, ChangeOrigin origin) override;
  void field_items_changed(ParameterField& field) override;
  void field_state_changed(ParameterField& field) override;

 private:
  struct Bound {
    ParameterField* field = nullptr;
    QPointer<QWidget> label;
    QPointer<QWidget> value;
    QPointer<QWidget> unit;
    ChartView* chart = nullptr;
    GridView* grid = nullptr;
  };

  QWidget* page_parent(int page) const;
  QWidget* placeholder(QWidget* parent, int control_id);
  QWidget* make_value(Bound& bound, QWidget* placeholder);
  void connect_value(Bound& bound);
  void show_value(Bound& bound);
  void show_items(Bound& bound);
  void show_state(Bound& bound);
  void user_changed(ParameterField& field, const std::function<void()>& change);
  const Bound* find(const ParameterField& field) const;

  ParameterFieldList& fields_;
  QPointer<QWidget> dialog_;
  QPointer<QObject> owner_;
  std::vector<QPointer<QWidget>> pages_;
  std::unordered_map<const ParameterField*, Bound> bound_;
  std::unordered_map<int, QPointer<QWidget>> by_id_;
  std::vector<int> missing_;
  const ParameterField* user_field_ = nullptr;  // the field a widget is changing
};

// Puts fresh in the place of the template control old (layout slot or
// geometry, size policy, limits, font, tab position, object name) and
// deletes old.
void replace_placeholder(QWidget* old, QWidget* fresh);

}  // namespace orvadw
