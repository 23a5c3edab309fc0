#pragma once
// The special settings window: the factory identity of an instrument
// (block 0x4000) with the OEM choices. Everything it does comes from the
// settings family and its table.
#include "dialogs/settings_family_dialog.h"

namespace orvadw {

class SpecialSettingsDialog : public SettingsFamilyDialog {
  Q_OBJECT

 public:
  SpecialSettingsDialog(JBusMaster* master, int start_mode, QWidget* parent = nullptr,
                        const std::string& file_path = {},
                        const std::string& configuration_path = {});
};

}  // namespace orvadw
