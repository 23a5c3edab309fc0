#include "dialogs/start_logo.h"

#include "files/config_keys.h"
#include "files/logo_bitmap.h"

namespace orvadw {

QImage load_start_logo(const std::string& program_folder) {
  const std::string path = program_folder + std::string(config::kLogoFileName);
  if (!is_usable_logo(path)) return {};
  QImage image(QString::fromStdString(path), "BMP");
  // The header promised the size; a damaged body gives no picture at all.
  if (image.width() != kLogoWidth || image.height() != kLogoHeight) return {};
  return image;
}

}  // namespace orvadw
