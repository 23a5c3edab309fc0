#pragma once
// The initialization window (template 119): two questions, then Transfer
// sends the factory settings and the factory output points to whatever
// instrument is on the line, as JBus number 0, by running the settings and
// the analog output windows unattended (mode 16). It closes with OK when
// every window that ran did.
//
// The number 0 is handed to those windows directly: the configuration's
// JBus number is never touched, so an interrupted initialization cannot
// leave the user's configuration pointing at slave 0.
#include "dialogs/communicating_dialog.h"

namespace orvadw {

class InitializationDialog : public CommunicatingDialog {
  Q_OBJECT

 public:
  static constexpr int kTransferButton = 1317;
  static constexpr int kTransferIcon = 143;
  static constexpr int kBroadcastJBus = 0;

  explicit InitializationDialog(JBusMaster* master, QWidget* parent = nullptr);

  bool settings_chosen() const;
  bool outputs_chosen() const;
  // Transfer: the chosen windows in mode 16, settings first. True when each
  // that ran closed with OK (the window then closes with OK).
  bool press_transfer();

 protected:
  void init_dialog() override;
  void on_button_click(int control, qint64 parameter) override;

 private:
  bool chosen(int row) const;
};

}  // namespace orvadw
