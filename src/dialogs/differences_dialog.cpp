#include "dialogs/differences_dialog.h"

#include "dialogs/print_window.h"
#include "dialogs/settings_family_dialog.h"
#include "files/configuration.h"
#include "params/window_table.h"
#include "ui/button_icons.h"
#include "ui/control_takeover.h"
#include "ui/dialog_template_registry.h"
#include "ui/parameter_page_builder.h"
#include "ui_differences.h"

namespace orvadw {

namespace {

// The form and its rows, laid out from the table; layout does not depend on
// the language.
int register_template() {
  static const int id = [] {
    const WindowTable table = differences_window(kEnglish);
    DialogTemplateRegistry::add(table.template_id, [descriptors = table.descriptors](QWidget* target) {
      Ui::DifferencesForm form;
      form.setupUi(target);
      ParameterPageBuilder::build(descriptors, -1, form.c1298);
    });
    return table.template_id;
  }();
  return id;
}

std::string current_configuration(const std::string& given) {
  return given.empty() ? Configuration::instance().configuration_path() : given;
}

}  // namespace

DifferencesDialog::DifferencesDialog(QWidget* parent, const std::string& configuration_path)
    : CommunicatingDialog(register_template(), nullptr, -1, kModeNew, parent,
                          current_configuration(configuration_path)) {
  const WindowTable table = differences_window(language());
  set_title_id(table.title_text_id);
  add_fields(table.descriptors);
  sheet_ = std::make_unique<DifferencesSheet>(fields());
  if (ButtonIcons::icon(kOkIcon).isNull()) ButtonIcons::add(kOkIcon, ButtonIcons::icon(icon_id::kOk));
  if (ButtonIcons::icon(kPrintIcon).isNull())
    ButtonIcons::add(kPrintIcon, ButtonIcons::icon(icon_id::kPrint));
}

DifferencesDialog::~DifferencesDialog() = default;

void DifferencesDialog::init_dialog() {
  CommunicatingDialog::init_dialog();
  for (int control : {kPrintButton, kOkButton}) {
    auto* button = take_over<NotifyingButton>(this, control, this, control);
    if (button == nullptr) continue;
    button->set_icon(control == kOkButton ? kOkIcon : kPrintIcon);
    button->setAutoDefault(false);
  }
}

void DifferencesDialog::show_comparison(const FieldComparison& comparison,
                                        const std::string& reference_name,
                                        const std::string& actual_name) {
  sheet_->fill(comparison, reference_name, actual_name);
}

void DifferencesDialog::on_button_click(int control, qint64) {
  if (control == kOkButton) press_ok();
  if (control == kPrintButton) press_print();
}

void DifferencesDialog::press_ok() { accept(); }

// The printed copy carries the unit-number and signature lines, which are
// hidden on screen only.
int DifferencesDialog::press_print() { return print_window(*this, true); }

int show_parameter_differences_dialog(SettingsFamilyDialog& reference, SettingsFamilyDialog& actual) {
  if (reference.file_path().empty()) return -1;
  const FieldComparison comparison = compare_field_lists(reference.fields(), actual.fields());
  if (!comparison.comparable) return -1;
  const int language = reference.language();
  // Over the window the person is looking at: the copy is never shown.
  DifferencesDialog dialog(&actual, reference.settings().path());
  dialog.show_comparison(
      comparison, comparison_source_name(reference.file_path(), language),
      comparison_source_name(actual.values_from_file() ? actual.file_path() : std::string(), language));
  dialog.exec();
  return 0;
}

}  // namespace orvadw
