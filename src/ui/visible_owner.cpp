#include "ui/visible_owner.h"

#include <QApplication>
#include <QWidget>

namespace orvadw {

QWidget* visible_owner(QWidget* parent) {
  for (QWidget* w = parent; w != nullptr; w = w->parentWidget()) {
    if (w->isVisible()) return w;
  }
  return QApplication::activeWindow();
}

}  // namespace orvadw
