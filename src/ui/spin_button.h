#pragma once
// The arrows of a spin field. Each press (and each auto-repeat while held)
// moves the position by a delta that grows the longer the arrow is held, and
// reports (position, delta) to the owner as "WM_USER_CSPINQN_NEW_DELTA".
#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

class QToolButton;

namespace orvadw {

class SpinButton : public QWidget {
  Q_OBJECT

 public:
  struct Acceleration {
    int after_seconds;  // held this long since the previous step of the table
    int multiplier;
  };

  explicit SpinButton(QWidget* parent = nullptr);

  // The owner always hears of every step.
  void set_owner(QObject* owner) { owner_ = owner; }
  QObject* owner() const { return owner_.data(); }

  void set_range(int minimum, int maximum);
  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  int position() const { return position_; }
  void set_position(int position);

  // The multiplier for an arrow held that many milliseconds. The steps of
  // the table {0 s x1, 5 s x2, 5 s x10, 10 s x100} are cumulative: a held
  // arrow goes x2 after 5 s, x10 after 10 s, x100 after 20 s.
  int multiplier_after(qint64 held_ms) const;

  // One step up (+1) or down (-1) as if an arrow had just been pressed.
  void step(int direction);
  // How long the arrow now down has been held; 0 when none is.
  qint64 held_ms() const { return holding_ ? held_.elapsed() : 0; }

  QToolButton* up_arrow() const { return up_; }
  QToolButton* down_arrow() const { return down_; }

 private:
  void pressed();
  void released(QToolButton* arrow);
  void repeated(int direction);
  void report(int delta);

  QPointer<QObject> owner_;
  QToolButton* up_;
  QToolButton* down_;
  int minimum_ = -100;
  int maximum_ = 100;
  int position_ = 0;
  static constexpr Acceleration kAcceleration[] = {{0, 1}, {5, 2}, {5, 10}, {10, 100}};
  QElapsedTimer held_;
  bool holding_ = false;
  bool ending_ = false;  // released: the hold ends with the next click
};

}  // namespace orvadw
