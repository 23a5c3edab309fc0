#pragma once
// The start-up logo as the main window paints it at the top-left corner of
// its client area: program folder + "logo.bmp", only when it has the size
// and depth the window is made for (see files/logo_bitmap.h).
#include <QImage>
#include <string>

namespace orvadw {

// The logo, or a null image when there is none or it is not usable.
QImage load_start_logo(const std::string& program_folder);

}  // namespace orvadw
