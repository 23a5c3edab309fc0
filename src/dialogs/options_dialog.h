#pragma once
// The options window (template 130, title text 199): the General page
// (spreadsheet program, recording times, language, COM port, speed, JBus
// number and Autosearch) and the Modem page, over the current configuration
// file. Every field starts from the file (the key table's defaults where a
// key is missing); any edit marks the window changed; OK asks "Save
// configuration file ?" (text 182) when it is, and Yes writes every field to
// its key. Choosing another language relabels the window at once.
// Autosearch works only while "Use modem" is No, the modem fields only while
// it is Yes.
//
//   OptionsDialog options(&master, main_window);
//   options.exec();   // then re-read Language and redraw
#include <QString>
#include <memory>
#include <string>

#include "files/option_values.h"
#include "ui/dialog_root.h"

class QLineEdit;
class QPushButton;
class QTabWidget;

namespace Ui {
class Template130;
}

namespace orvadw {

class ChoiceList;
class JBusMaster;
class NotifyingButton;
class NumberField;

class OptionsDialog : public DialogRoot {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 130;
  static constexpr int kTitleTextId = 199;
  static constexpr int kSaveQuestionTextId = 182;
  static constexpr int kCautionTextId = 4;
  // The speeds Autosearch tries: the whole list, whatever is selected.
  static constexpr int kSearchSpeeds = OptionValues::kBaudCount;

  // master: lent to the search (may be null: Autosearch then uses a link of
  // its own).
  explicit OptionsDialog(JBusMaster* master, QWidget* parent = nullptr);
  OptionsDialog(JBusMaster* master, QWidget* parent, const std::string& configuration_path);
  ~OptionsDialog() override;

  bool changed() const { return changed_; }
  // The values as the fields show them now.
  OptionValues shown_values() const;
  // The language the window speaks now (1 French .. 4 German).
  int shown_language() const { return shown_language_; }

  // OK: the save question when changed, then the window closes.
  void accept() override;

  // The fields, for the window's tests.
  QTabWidget* pages() const;
  QLineEdit* spreadsheet_path() const;
  QPushButton* browse_button() const;
  QPushButton* clear_button() const;
  NumberField* record_lap_time() const;
  NumberField* sample_time() const;
  ChoiceList* language_list() const;
  ChoiceList* port_list() const;
  ChoiceList* baud_list() const;
  NumberField* jbus_field() const;
  NotifyingButton* autosearch_button() const;
  ChoiceList* use_modem_list() const;
  ChoiceList* dial_list() const;
  QLineEdit* init_string() const;
  QLineEdit* phone() const;
  QLineEdit* disconnect_string() const;
  NumberField* answer_timeout() const;
  QPushButton* ok_button() const;

 protected:
  void init_dialog() override;

 private:
  void construct();
  void fill_lists();
  void show_values(const OptionValues& values);
  void relabel();
  void apply_rules();
  void mark_changed();
  void browse_spreadsheet();
  void clear_spreadsheet();
  void autosearch();
  QString text(int id) const;

  std::unique_ptr<Ui::Template130> ui_;
  JBusMaster* master_;
  int shown_language_ = 1;
  bool changed_ = false;
  bool filling_ = false;  // the program fills the fields: not an edit
};

}  // namespace orvadw
