#include "dialogs/macro_choice_dialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include "files/save_path.h"
#include "ui/file_dialog_service.h"
#include "ui_macro_choice.h"

namespace orvadw {

namespace {
// No template of its own: the form is built here.
constexpr int kNoTemplate = 0;
}  // namespace

MacroChoiceDialog::MacroChoiceDialog(const QString& macro_path, QWidget* parent)
    : DialogRoot(kNoTemplate, parent),
      ui_(std::make_unique<Ui::MacroChoiceForm>()),
      macro_path_(macro_path) {
  ui_->setupUi(this);
  connect(ui_->browse, &QPushButton::clicked, this, [this] { browse(); });
  connect(ui_->buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(ui_->buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
}

MacroChoiceDialog::~MacroChoiceDialog() = default;

QLineEdit* MacroChoiceDialog::path_field() const {
  return ui_->path;
}
QPushButton* MacroChoiceDialog::browse_button() const {
  return ui_->browse;
}

void MacroChoiceDialog::init_dialog() {
  DialogRoot::init_dialog();
  set_title_id(kTitleTextId);
  ui_->text->setText(text_of(kExplanationTextId));
  ui_->path->setText(macro_path_);
}

void MacroChoiceDialog::browse() {
  FileDialogService::Request request;
  // The dialog opens where the macro is (or the folder the path names).
  const std::string path = macro_path_.toStdString();
  const std::string folder = folder_of(path);
  request.folder = QString::fromStdString(folder.empty() ? path : folder);
  request.filter = QString::fromLatin1(kMacroFilter);
  request.default_extension = QStringLiteral("xls");
  const std::optional<QString> chosen = FileDialogService::current().open_path(this, request);
  if (!chosen || chosen->isEmpty()) return;
  macro_path_ = *chosen;
  ui_->path->setText(macro_path_);
}

}  // namespace orvadw
