#include "dialogs/program_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace orvadw {

QPixmap program_picture(const QSize& size) {
  QPixmap picture(size);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal w = size.width();
  const qreal h = size.height();
  // A pipe seen from the side, and the sound path that crosses it.
  QLinearGradient steel(0, h * 0.3, 0, h * 0.7);
  steel.setColorAt(0, QColor(90, 110, 130));
  steel.setColorAt(0.5, QColor(200, 215, 230));
  steel.setColorAt(1, QColor(70, 90, 110));
  p.setPen(QPen(QColor(40, 50, 60), 1));
  p.setBrush(steel);
  p.drawRoundedRect(QRectF(w * 0.05, h * 0.32, w * 0.9, h * 0.36), h * 0.06, h * 0.06);
  p.setPen(QPen(QColor(0, 90, 200), qMax<qreal>(1.5, w / 40)));
  p.drawLine(QPointF(w * 0.25, h * 0.26), QPointF(w * 0.75, h * 0.74));
  p.setBrush(QColor(0, 90, 200));
  p.drawEllipse(QPointF(w * 0.25, h * 0.26), w * 0.05, w * 0.05);
  p.drawEllipse(QPointF(w * 0.75, h * 0.74), w * 0.05, w * 0.05);
  return picture;
}

}  // namespace orvadw
