#include "support/temp_settings.h"

#include <QSettings>

#include "files/settings_store.h"

namespace orvadw::test {

TempSettings::TempSettings() {
  const QString path = dir_.path();
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path + "/user");
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path + "/user");
  configuration_path_ = (path + "/test.OrvadW10").toStdString();
}

void TempSettings::set_language(double stored) {
  SettingsStore store(configuration_path_);
  store.write_number("Language", "Language", stored);
}

}  // namespace orvadw::test
