#pragma once
// How a dialog's title is put together from its parts.
#include <QString>

namespace orvadw {

inline constexpr const char* kTitleSeparator = "   -   ";
inline constexpr int kDocumentNameLimit = 40;

// A name of more than 40 characters becomes its first 3, "..." and its last
// 34 (40 in all); shorter names are kept whole.
QString shorten_document_name(const QString& name);

// head (the title text or the custom title), then the separator and the
// document name when there is one, then the suffix.
QString build_window_title(const QString& head, const QString& document_name,
                           const QString& suffix);

}  // namespace orvadw
