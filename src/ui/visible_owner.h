#pragma once
// The window a message box or a file or print dialog opens over. A dialog
// that is still starting, or works unseen, has no place on the screen yet:
// a box over it would open at the screen's corner.
class QWidget;

namespace orvadw {

// parent when it shows, else its nearest shown ancestor, else the active
// window; nullptr (centred on the screen) when none shows.
QWidget* visible_owner(QWidget* parent);

}  // namespace orvadw
