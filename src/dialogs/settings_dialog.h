#pragma once
// The settings window: the instrument's parameter set (block 0x1000) on
// five tab pages, with the Defaults button of the sphere page; a transfer
// also sets the clock and resets the logger and the sphere counter when
// asked to (see settings::plan_transfer).
#include "dialogs/settings_family_dialog.h"

namespace orvadw {

class SettingsDialog : public SettingsFamilyDialog {
  Q_OBJECT

 public:
  static constexpr int kSpherePage = 3;

  SettingsDialog(JBusMaster* master, int start_mode, QWidget* parent = nullptr,
                 const std::string& file_path = {}, const std::string& configuration_path = {});

 protected:
  void add_window_controls() override;
  void on_button_click(int control, qint64 parameter) override;
};

}  // namespace orvadw
