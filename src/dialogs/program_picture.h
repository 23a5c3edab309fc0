#pragma once
// The program's own picture, shown where no start-up logo is used (the
// about box, the main window): drawn, so that no image file has to travel
// with the program.
#include <QPixmap>
#include <QSize>

namespace orvadw {

QPixmap program_picture(const QSize& size = QSize(96, 96));

}  // namespace orvadw
