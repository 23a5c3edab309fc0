#pragma once
// The about box (template 103, title text 197): the program's picture, or
// none when the start-up logo is in use, and over its text label, centred,
// "Application : <InternalName>", "Version : <FileVersion>" and the
// copyright, from the version resource.
#include <QString>
#include <memory>

#include "ui/dialog_root.h"

class QLabel;

namespace Ui {
class Template103;
}

namespace orvadw {

class AboutBox : public DialogRoot {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 103;
  static constexpr int kTitleTextId = 197;

  explicit AboutBox(QWidget* parent = nullptr);
  ~AboutBox() override;

  // The three lines in a language: text 3, " : ", InternalName, a blank
  // line, text 240, " : ", FileVersion, a blank line, LegalCopyright.
  static QString about_text(int language);

  QLabel* picture() const;
  QLabel* text_label() const;

 protected:
  void init_dialog() override;

 private:
  std::unique_ptr<Ui::Template103> ui_;
};

}  // namespace orvadw
