#include "dialogs/initialization_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/analog_output_dialog.h"
#include "dialogs/settings_dialog.h"
#include "files/file_kind.h"
#include "params/initialization_table.h"
#include "ui/button_icons.h"
#include "ui/control_takeover.h"
#include "ui/dialog_template_registry.h"
#include "ui/parameter_page_builder.h"

namespace orvadw {

namespace {

// The window's form, registered before the first window applies it.
int form_template() {
  static const bool registered = [] {
  DialogTemplateRegistry::add(initialization::kTemplateId, [](QWidget* target) {
    auto* layout = new QVBoxLayout(target);
    auto* rows = new QWidget(target);
    ParameterPageBuilder::build(initialization_table(), -1, rows);
    layout->addWidget(rows);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* transfer = new QPushButton(target);
    transfer->setObjectName(control_name(InitializationDialog::kTransferButton));
    transfer->setAutoDefault(false);
    transfer->setIconSize(QSize(24, 24));
    buttons->addWidget(transfer);
    layout->addLayout(buttons);
  });
  return true;
  }();
  (void)registered;
  return initialization::kTemplateId;
}

template <typename Window>
bool run_unattended(JBusMaster* master, QWidget* parent) {
  Window window(master, SettingsFamilyDialog::kModeUnattended, parent);
  window.set_jbus_number(InitializationDialog::kBroadcastJBus);
  return window.exec() == QDialog::Accepted;
}

}  // namespace

InitializationDialog::InitializationDialog(JBusMaster* master, QWidget* parent)
    : CommunicatingDialog(form_template(), master, kNoFileKind, kModeFromInstrument, parent) {
  set_title_id(initialization::kTitleTextId);
  add_fields(initialization_table());
  if (ButtonIcons::icon(kTransferIcon).isNull()) {
    ButtonIcons::add(kTransferIcon, ButtonIcons::icon(icon_id::kTransfer));
  }
}

void InitializationDialog::init_dialog() {
  CommunicatingDialog::init_dialog();
  if (auto* button = take_over<NotifyingButton>(this, kTransferButton, this, kTransferButton)) {
    button->set_icon(kTransferIcon);
    button->setAutoDefault(false);
  }
}

bool InitializationDialog::chosen(int row) const {
  const ParameterField* field = fields().field(row);
  return field != nullptr && field->integer() == initialization::kYes;
}

bool InitializationDialog::settings_chosen() const { return chosen(initialization::kSettingsRow); }

bool InitializationDialog::outputs_chosen() const { return chosen(initialization::kOutputsRow); }

bool InitializationDialog::press_transfer() {
  finish_editing();
  bool all_ok = true;
  if (settings_chosen()) all_ok = run_unattended<SettingsDialog>(master(), this) && all_ok;
  if (outputs_chosen()) all_ok = run_unattended<AnalogOutputDialog>(master(), this) && all_ok;
  if (all_ok) done(Accepted);
  return all_ok;
}

void InitializationDialog::on_button_click(int control, qint64 parameter) {
  if (control == kTransferButton) {
    press_transfer();
    return;
  }
  CommunicatingDialog::on_button_click(control, parameter);
}

}  // namespace orvadw
