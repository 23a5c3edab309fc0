#include "ui/named_message_registry.h"

#include <QEvent>
#include <QHash>
#include <mutex>

namespace orvadw {

namespace {

const QStringList& fixed_list() {
  static const QStringList names = {
      msg::kNewTrame,           msg::kInfoModem,
      msg::kButtonClick,        msg::kButtonDoubleClick,
      msg::kButtonKillFocus,    msg::kComboSetFocus,
      msg::kComboSelChange,     msg::kComboSelEndOk,
      msg::kEditLostFocus,      msg::kEditOnChange,
      msg::kSpinNewDelta,       msg::kMenuOpen,
      msg::kMenuNewSettings,    msg::kMenuNewOutputSettings,
      msg::kMenuNewSpecialSettings, msg::kMenuMeasurement,
      msg::kMenuSettings,       msg::kMenuOutputSettings,
      msg::kMenuEsc,            msg::kMenuLogger,
      msg::kMenuInitialization, msg::kMenuSpecialSettings,
      msg::kMenuSaveAll,        msg::kMenuPrintAll,
      msg::kMenuOptions,        msg::kMenuSaveOptions,
      msg::kMenuLoadOptions,    msg::kMenuAbout,
      msg::kMenuExit,           msg::kMenuModemConnect,
      msg::kMenuModemDisconnect,
  };
  return names;
}

struct Registry {
  std::mutex mutex;
  QHash<QString, int> by_name;
  QHash<int, QString> by_type;

  int id(const QString& name) {
    if (name.isEmpty()) return 0;
    std::lock_guard lock(mutex);
    auto found = by_name.constFind(name);
    if (found != by_name.constEnd()) return found.value();
    const int type = QEvent::registerEventType();
    if (type <= 0) return 0;  // Qt's user range is exhausted
    by_name.insert(name, type);
    by_type.insert(type, name);
    return type;
  }
};

Registry& registry() {
  static Registry instance;
  return instance;
}

// Registers the fixed names before main() so that their numbers are known to
// every thread from the start, whatever order the windows come up in.
const bool fixed_names_registered = [] {
  for (const QString& name : fixed_list()) registry().id(name);
  return true;
}();

}  // namespace

int NamedMessageRegistry::id(const QString& name) { return registry().id(name); }

QString NamedMessageRegistry::name_of(int type) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  return r.by_type.value(type);
}

bool NamedMessageRegistry::contains(int type) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  return r.by_type.contains(type);
}

QStringList NamedMessageRegistry::fixed_names() {
  (void)fixed_names_registered;
  return fixed_list();
}

int message_id(const QString& name) { return NamedMessageRegistry::id(name); }

}  // namespace orvadw
