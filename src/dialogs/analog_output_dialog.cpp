#include "dialogs/analog_output_dialog.h"

namespace orvadw {

AnalogOutputDialog::AnalogOutputDialog(JBusMaster* master, int start_mode, QWidget* parent,
                                       const std::string& file_path,
                                       const std::string& configuration_path)
    : SettingsFamilyDialog(analog_output_window, master, start_mode, parent, file_path,
                           configuration_path) {}

}  // namespace orvadw
