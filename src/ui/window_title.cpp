#include "ui/window_title.h"

namespace orvadw {

QString shorten_document_name(const QString& name) {
  if (name.size() <= kDocumentNameLimit) return name;
  return name.left(3) + QStringLiteral("...") + name.right(34);
}

QString build_window_title(const QString& head, const QString& document_name,
                           const QString& suffix) {
  QString title = head;
  if (!document_name.isEmpty()) title += QString::fromLatin1(kTitleSeparator) + document_name;
  if (!suffix.isEmpty()) title += suffix;
  return title;
}

}  // namespace orvadw
