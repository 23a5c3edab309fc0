#include "ui/button_icons.h"

#include <QApplication>
#include <QHash>
#include <QStyle>

namespace orvadw {

namespace {

QHash<int, QIcon>& added() {
  static QHash<int, QIcon> icons;
  return icons;
}

bool standard_pixmap(int id, QStyle::StandardPixmap* out) {
  switch (id) {
    case icon_id::kOpen: *out = QStyle::SP_DialogOpenButton; return true;
    case icon_id::kSave: *out = QStyle::SP_DialogSaveButton; return true;
    case icon_id::kPrint: *out = QStyle::SP_FileDialogDetailedView; return true;
    case icon_id::kCompare: *out = QStyle::SP_FileDialogContentsView; return true;
    case icon_id::kTransfer: *out = QStyle::SP_ArrowRight; return true;
    case icon_id::kRead: *out = QStyle::SP_ArrowLeft; return true;
    case icon_id::kRecord: *out = QStyle::SP_MediaPlay; return true;
    case icon_id::kStop: *out = QStyle::SP_MediaStop; return true;
    case icon_id::kInformation: *out = QStyle::SP_MessageBoxInformation; return true;
    case icon_id::kWarning: *out = QStyle::SP_MessageBoxWarning; return true;
    case icon_id::kOk: *out = QStyle::SP_DialogOkButton; return true;
    default: return false;
  }
}

}  // namespace

QIcon ButtonIcons::icon(int resource_id) {
  auto found = added().constFind(resource_id);
  if (found != added().constEnd()) return found.value();
  QStyle::StandardPixmap pixmap;
  if (!standard_pixmap(resource_id, &pixmap) || qApp == nullptr) return {};
  return QApplication::style()->standardIcon(pixmap);
}

void ButtonIcons::add(int resource_id, const QIcon& icon) { added().insert(resource_id, icon); }

}  // namespace orvadw
