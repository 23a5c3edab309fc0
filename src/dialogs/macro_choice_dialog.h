#pragma once
// The macro choice of the spreadsheet export (title text 198): the
// explanation of text 79, the macro workbook's path, read-only, and "..."
// that opens the open dialog at that path. OK keeps the path chosen, Cancel
// goes on without the macro.
#include <QString>
#include <memory>

#include "ui/dialog_root.h"

namespace Ui {
class MacroChoiceForm;
}

class QLineEdit;
class QPushButton;

namespace orvadw {

class MacroChoiceDialog : public DialogRoot {
  Q_OBJECT

 public:
  static constexpr int kTitleTextId = 198;
  static constexpr int kExplanationTextId = 79;
  // Macro workbooks as the spreadsheet programs keep them.
  static constexpr const char* kMacroFilter = "Macro (*.xls;*.xlsm;*.ods)|*.xls;*.xlsm;*.ods|";

  MacroChoiceDialog(const QString& macro_path, QWidget* parent = nullptr);
  ~MacroChoiceDialog() override;

  QString macro_path() const { return macro_path_; }
  QLineEdit* path_field() const;
  QPushButton* browse_button() const;
  // What "..." does: the open dialog; a chosen file replaces the path.
  void browse();

 protected:
  void init_dialog() override;

 private:
  std::unique_ptr<Ui::MacroChoiceForm> ui_;
  QString macro_path_;
};

}  // namespace orvadw
