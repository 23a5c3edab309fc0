#include "dialogs/settings_dialog.h"

#include <QGridLayout>
#include <QTabWidget>

#include "params/settings_rules.h"
#include "ui/dialog_template_registry.h"
#include "ui/notifying_button.h"

namespace orvadw {

SettingsDialog::SettingsDialog(JBusMaster* master, int start_mode, QWidget* parent,
                               const std::string& file_path, const std::string& configuration_path)
    : SettingsFamilyDialog(settings_window, master, start_mode, parent, file_path,
                           configuration_path) {}

void SettingsDialog::add_window_controls() {
  QWidget* page = tab_widget() != nullptr ? tab_widget()->widget(kSpherePage) : nullptr;
  auto* grid = page != nullptr ? qobject_cast<QGridLayout*>(page->layout()) : nullptr;
  if (grid == nullptr) return;
  auto* defaults = new NotifyingButton(this, settings::kDefaultsButton, page);
  defaults->setObjectName(control_name(settings::kDefaultsButton));
  defaults->setText(text_of(settings::kDefaultsTextId));
  defaults->setAutoDefault(false);
  grid->addWidget(defaults, grid->rowCount(), 2, Qt::AlignLeft);
}

void SettingsDialog::on_button_click(int control, qint64 parameter) {
  if (control == settings::kDefaultsButton) {
    settings::apply_defaults(fields());
    on_edit_done();
    return;
  }
  SettingsFamilyDialog::on_button_click(control, parameter);
}

}  // namespace orvadw
