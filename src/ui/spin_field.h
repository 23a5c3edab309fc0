#pragma once
// A number field with spin arrows at its right. The arrows move the value by
// a step taken from the format (0.1 for "%0.1f"), limited like a typed value.
#include <QWidget>
#include <string>

#include "ui/number_field.h"

namespace orvadw {

class SpinButton;

class SpinField : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kArrowWidth = 17;

  explicit SpinField(QWidget* parent = nullptr);
  SpinField(QObject* owner, qint32 notification_id, QWidget* parent = nullptr);

  // The number field's messages go to this owner.
  void set_owner(QObject* owner, qint32 notification_id);
  QObject* owner() const { return field_->owner(); }

  // A minimum above the maximum is refused with 351; a format the number
  // field refuses gives -1. Nothing changes on refusal.
  int set_format(double minimum, double maximum, int setting1, int setting2,
                 const std::string& format);
  double step() const { return step_; }

  NumberField* number_field() const { return field_; }
  SpinButton* spin_button() const { return button_; }

  // The spin field's text is the number field's.
  QString text() const { return field_->text(); }
  void set_text(const QString& text) { field_->set_value_text(text); }
  void set_number(double value) { field_->set_number(value); }
  double number() const { return field_->number(); }

 signals:
  // The arrows moved the value (already reformatted and limited); emitted
  // before the owner hears of the changed text.
  void spun(int delta, bool limited);

 protected:
  bool event(QEvent* event) override;

 private:
  void apply_delta(int delta);

  NumberField* field_;
  SpinButton* button_;
  double step_ = 1;
};

}  // namespace orvadw
