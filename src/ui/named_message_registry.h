#pragma once
// Registered window messages: every fixed message name gets one QEvent type,
// the same for the whole process. The fixed names are registered during
// static initialisation, before the application starts; a name outside the
// list is registered the first time it is asked for.
#include <QString>
#include <QStringList>

#include "link/jbus_master.h"
#include "link/modem_session.h"

namespace orvadw {

namespace msg {
// Poll thread and modem worker.
inline constexpr const char* kNewTrame = JBusMaster::kNewFrameMessage;
inline constexpr const char* kInfoModem = ModemSession::kInfoModemMessage;
// Notifying controls.
inline constexpr const char* kButtonClick = "WM_USER_CBUTTONQN_CLICK";
inline constexpr const char* kButtonDoubleClick = "WM_USER_CBUTTONQN_DBCLICK";
inline constexpr const char* kButtonKillFocus = "WM_USER_CBUTTONQN_KILL_FOCUS";
inline constexpr const char* kComboSetFocus = "WM_USER_CCOMBOQN_SELSETFOCUS";
inline constexpr const char* kComboSelChange = "WM_USER_CCOMBOQN_SELCHANGE";
inline constexpr const char* kComboSelEndOk = "WM_USER_CCOMBOQN_SELENDOK";
inline constexpr const char* kEditLostFocus = "WM_USER_CEDITQN_LOSTFOCUS";
inline constexpr const char* kEditOnChange = "WM_USER_CEDITQN_ONCHANGE";
inline constexpr const char* kSpinNewDelta = "WM_USER_CSPINQN_NEW_DELTA";
// Menu commands of the main window.
inline constexpr const char* kMenuOpen = "WM_USER_MENU_OUVRIR";
inline constexpr const char* kMenuNewSettings = "WM_USER_MENU_NEW_ETALONNAGE";
inline constexpr const char* kMenuNewOutputSettings = "WM_USER_MENU_NEW_REGZEK";
inline constexpr const char* kMenuNewSpecialSettings = "WM_USER_MENU_NEW_REGSPE";
inline constexpr const char* kMenuMeasurement = "WM_USER_MENU_DIAL_MESURE";
inline constexpr const char* kMenuSettings = "WM_USER_MENU_DIAL_ETALONNAGE";
inline constexpr const char* kMenuOutputSettings = "WM_USER_MENU_DIAL_REGZEK";
inline constexpr const char* kMenuEsc = "WM_USER_MENU_DIAL_ESC";
inline constexpr const char* kMenuLogger = "WM_USER_MENU_DIAL_LOGGER";
inline constexpr const char* kMenuInitialization = "WM_USER_MENU_DIAL_INIT";
inline constexpr const char* kMenuSpecialSettings = "WM_USER_MENU_DIAL_REGSPE";
inline constexpr const char* kMenuSaveAll = "WM_USER_MENU_DIAL_SAUVE_ALL";
inline constexpr const char* kMenuPrintAll = "WM_USER_MENU_DIAL_IMPRIME_ALL";
inline constexpr const char* kMenuOptions = "WM_USER_MENU_CONF_CONF";
inline constexpr const char* kMenuSaveOptions = "WM_USER_MENU_CONF_SAVE";
inline constexpr const char* kMenuLoadOptions = "WM_USER_MENU_CONF_LOAD";
inline constexpr const char* kMenuAbout = "WM_USER_MENU_APROPO";
inline constexpr const char* kMenuExit = "WM_USER_MENU_QUITTER";
inline constexpr const char* kMenuModemConnect = "WM_USER_MENU_MODEM_CONNECT";
inline constexpr const char* kMenuModemDisconnect = "WM_USER_MENU_MODEM_DECONNECT";
// This program's own command (registered on first use, like any other name).
inline constexpr const char* kMenuFrameMonitor = "WM_USER_MENU_CONF_MONITOR";
}  // namespace msg

class NamedMessageRegistry {
 public:
  // The event type of a name; registers the name when it is new. Returns 0
  // for an empty name or when Qt has no event type left. Thread-safe.
  static int id(const QString& name);
  // The name of a registered event type, "" when the type is not one of ours.
  static QString name_of(int type);
  static bool contains(int type);
  // The names registered before start-up, in their table order.
  static QStringList fixed_names();
};

// Shorthand for NamedMessageRegistry::id.
int message_id(const QString& name);

}  // namespace orvadw
