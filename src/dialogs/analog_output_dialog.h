#pragma once
// The adjustment of the two 4-20 mA outputs (block 0x3000): the converter
// points of 4 and 20 mA. Everything it does comes from the settings family
// and its table.
#include "dialogs/settings_family_dialog.h"

namespace orvadw {

class AnalogOutputDialog : public SettingsFamilyDialog {
  Q_OBJECT

 public:
  AnalogOutputDialog(JBusMaster* master, int start_mode, QWidget* parent = nullptr,
                     const std::string& file_path = {}, const std::string& configuration_path = {});
};

}  // namespace orvadw
