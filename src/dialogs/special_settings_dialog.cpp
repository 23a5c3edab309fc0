#include "dialogs/special_settings_dialog.h"

namespace orvadw {

SpecialSettingsDialog::SpecialSettingsDialog(JBusMaster* master, int start_mode, QWidget* parent,
                                             const std::string& file_path,
                                             const std::string& configuration_path)
    : SettingsFamilyDialog(special_settings_window, master, start_mode, parent, file_path,
                           configuration_path) {}

}  // namespace orvadw
