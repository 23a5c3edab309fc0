#pragma once
// Button icons by resource id. The table starts with the ids below, drawn
// from the style's standard icons; later windows register their own.
#include <QIcon>

namespace orvadw {

namespace icon_id {
inline constexpr int kOpen = 300;
inline constexpr int kSave = 301;
inline constexpr int kPrint = 302;
inline constexpr int kCompare = 303;
inline constexpr int kTransfer = 304;
inline constexpr int kRead = 305;
inline constexpr int kRecord = 306;
inline constexpr int kStop = 307;
inline constexpr int kInformation = 308;
inline constexpr int kWarning = 309;
inline constexpr int kOk = 310;
}  // namespace icon_id

class ButtonIcons {
 public:
  // The icon of that id; a null icon when the id is unknown or cannot be
  // loaded. Needs a running application for the style's icons.
  static QIcon icon(int resource_id);
  // Adds or replaces an id (a resource path, a theme icon, a drawn one).
  static void add(int resource_id, const QIcon& icon);
};

}  // namespace orvadw
