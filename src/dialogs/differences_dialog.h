#pragma once
// The differences dialog of a comparison: the names of the two sources and
// the list of the fields whose values differ between a saved file (the
// reference) and the window in which compare was pressed (the actual
// values), with OK and print. Its rows come from its table
// (differences_window), its content from DifferencesSheet, so the printed
// copy reads the same fields and cells.
//
// show_parameter_differences_dialog is the settings family's compare hook:
//   install_parameter_compare_hook(show_parameter_differences_dialog);
#include <memory>
#include <string>

#include "dialogs/communicating_dialog.h"
#include "params/differences_sheet.h"
#include "params/field_comparison.h"

namespace orvadw {

class SettingsFamilyDialog;

class DifferencesDialog : public CommunicatingDialog {
  Q_OBJECT

 public:
  static constexpr int kOkButton = 1308;
  static constexpr int kPrintButton = 1307;
  static constexpr int kOkIcon = 135;
  static constexpr int kPrintIcon = 134;

  // configuration_path: the program's current configuration when empty.
  explicit DifferencesDialog(QWidget* parent = nullptr, const std::string& configuration_path = {});
  ~DifferencesDialog() override;

  // The sources' names and one row per difference.
  void show_comparison(const FieldComparison& comparison, const std::string& reference_name,
                       const std::string& actual_name);
  DifferencesSheet& sheet() { return *sheet_; }

  // The buttons' handlers, also for tests.
  void press_ok();
  // 0 when printed.
  int press_print();

 protected:
  void init_dialog() override;
  void on_button_click(int control, qint64 parameter) override;

 private:
  std::unique_ptr<DifferencesSheet> sheet_;
};

// Compares the comparison copy (reference: the values of the file the user
// chose, which its file_path() names) with the window in which compare was
// pressed (actual) and shows the differences dialog modally over the copy.
// 0 once the dialog was shown; -1 without a file name or when the two
// windows are not of one kind (nothing is shown).
int show_parameter_differences_dialog(SettingsFamilyDialog& reference, SettingsFamilyDialog& actual);

}  // namespace orvadw
