#include "dialogs/about_box.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

#include "base/program_identity.h"
#include "base/text_table.h"
#include "dialogs/program_picture.h"
#include "files/configuration.h"
#include "ui_template_103.h"

namespace orvadw {

namespace {

constexpr int kApplicationTextId = 3;
constexpr int kVersionTextId = 240;
constexpr int kTextPointSize = 8;

}  // namespace

AboutBox::AboutBox(QWidget* parent)
    : DialogRoot(kTemplateId, parent), ui_(std::make_unique<Ui::Template103>()) {
  ui_->setupUi(this);
  connect(ui_->ok, &QPushButton::clicked, this, [this] { accept(); });
}

AboutBox::~AboutBox() = default;

QLabel* AboutBox::picture() const { return ui_->picture; }
QLabel* AboutBox::text_label() const { return ui_->text; }

QString AboutBox::about_text(int language) {
  const auto text = [language](int id) { return QString::fromStdString(orvadw::text_of(id, language)); };
  return text(kApplicationTextId) + QStringLiteral(" : ") + QString::fromStdString(internal_name()) +
         QStringLiteral("\n\n") + text(kVersionTextId) + QStringLiteral(" : ") +
         QString::fromStdString(file_version()) + QStringLiteral("\n\n") +
         QString::fromStdString(legal_copyright());
}

void AboutBox::init_dialog() {
  DialogRoot::init_dialog();
  set_title_id(kTitleTextId);
  // With the start-up logo the main window shows the picture already.
  if (Configuration::instance().logo_available()) {
    ui_->picture->clear();
  } else {
    ui_->picture->setPixmap(program_picture());
  }
  QFont font = ui_->text->font();
  font.setPointSize(kTextPointSize);
  ui_->text->setFont(font);
  ui_->text->setAutoFillBackground(false);
  ui_->text->setAlignment(Qt::AlignCenter);
  ui_->text->setText(about_text(language()));
}

}  // namespace orvadw
