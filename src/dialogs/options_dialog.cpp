#include "dialogs/options_dialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>

#include "base/text_table.h"
#include "dialogs/search_dialog.h"
#include "files/configuration.h"
#include "files/save_path.h"
#include "link/block_transfer.h"
#include "link/jbus_master.h"
#include "link/port_map.h"
#include "params/window_table.h"
#include "ui/choice_list.h"
#include "ui/file_dialog_service.h"
#include "ui/message_service.h"
#include "ui/notifying_button.h"
#include "ui/number_field.h"
#include "ui/qt_translations.h"
#include "ui_template_130.h"

namespace orvadw {

namespace {

// Text ids of the window.
constexpr int kGeneralPageId = 99;
constexpr int kModemPageId = 136;
constexpr int kExportGroupId = 80;
constexpr int kSpreadsheetId = 196;
constexpr int kSaveGroupId = 183;
constexpr int kMaxTimeId = 185;
constexpr int kMinutesId = 134;
constexpr int kSampleTimeId = 184;
constexpr int kSecondsId = 186;
constexpr int kLanguageId = 105;
constexpr int kLanguageListId = 109;
constexpr int kComId = 39;
constexpr int kBaudsId = 5;
constexpr int kSpeedListId = 243;
constexpr int kJBusId = 104;
constexpr int kAutosearchId = 58;
constexpr int kUseModemId = 45;
constexpr int kYesNoListId = 27;
constexpr int kDialId = 155;
constexpr int kToneListId = 26;
constexpr int kInitStringId = 13;
constexpr int kPhoneId = 156;
constexpr int kDisconnectId = 14;
constexpr int kTimeoutId = 206;
constexpr int kMillisecondsId = 146;
constexpr int kCannotWriteId = 67;
constexpr int kErrorCaptionId = 74;
constexpr int kJBusNumberPosition = 1;
// No program file here ends in ".exe": the browse dialog offers every file.
constexpr const char* kProgramFilter = "*|*||";

QStringList list_of(int id, int language) {
  QStringList out;
  for (const std::string& item : text_list(id, language)) out << QString::fromStdString(item);
  return out;
}

void show_whole_number(NumberField* field, double value) {
  field->set_value_text(QString::number(value, 'f', 0));
}

// The items of a list in another language, the same item still selected.
void refill(ChoiceList* list, const QStringList& items) {
  const int selected = list->selected_value();
  list->set_items(items);
  list->select_value(selected < 0 ? 0 : selected);
}

}  // namespace

OptionsDialog::OptionsDialog(JBusMaster* master, QWidget* parent)
    : DialogRoot(kTemplateId, parent), master_(master) {
  construct();
}

OptionsDialog::OptionsDialog(JBusMaster* master, QWidget* parent,
                             const std::string& configuration_path)
    : DialogRoot(kTemplateId, parent, configuration_path), master_(master) {
  construct();
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::construct() {
  ui_ = std::make_unique<Ui::Template130>();
  ui_->setupUi(this);
  shown_language_ = language();
  ui_->clearButton->setIcon(style()->standardIcon(QStyle::SP_LineEditClearButton));

  for (NumberField* field : {ui_->maxTime, ui_->sampleTime, ui_->jbus, ui_->answerTimeout}) {
    connect(field, &NumberField::user_edited, this, [this] { mark_changed(); });
  }
  ui_->maxTime->set_format(0, 99999, 0, 0, "%0.f");
  ui_->sampleTime->set_format(1, 99999, 0, 0, "%0.f");
  ui_->jbus->set_format(0, 255, 0, 0, "%0.f");
  ui_->answerTimeout->set_format(0, 99999, 0, 0, "%0.f");
  for (QLineEdit* field : {ui_->initString, ui_->phone, ui_->disconnectString}) {
    connect(field, &QLineEdit::textEdited, this, [this] { mark_changed(); });
  }
  for (ChoiceList* list : {ui_->port, ui_->bauds, ui_->dial}) {
    connect(list, &ChoiceList::user_selected, this, [this] { mark_changed(); });
  }
  connect(ui_->language, &ChoiceList::user_selected, this, [this] {
    shown_language_ = ui_->language->selected_value() + 1;
    relabel();
    mark_changed();
  });
  connect(ui_->useModem, &ChoiceList::user_selected, this, [this] {
    apply_rules();
    mark_changed();
  });
  connect(ui_->browseButton, &QPushButton::clicked, this, [this] { browse_spreadsheet(); });
  connect(ui_->clearButton, &QPushButton::clicked, this, [this] { clear_spreadsheet(); });
  connect(ui_->autosearch, &QPushButton::clicked, this, [this] { autosearch(); });
  connect(ui_->okButton, &QPushButton::clicked, this, [this] { accept(); });
}

QString OptionsDialog::text(int id) const {
  return QString::fromStdString(orvadw::text_of(id, shown_language_));
}

void OptionsDialog::init_dialog() {
  DialogRoot::init_dialog();
  bool repaired = false;
  const OptionValues values = read_option_values(settings(), &repaired);
  shown_language_ = values.language + 1;
  filling_ = true;
  fill_lists();
  show_values(values);
  relabel();
  apply_rules();
  filling_ = false;
  // A stored value the window cannot show as it stands was replaced: OK
  // offers to store the sound one.
  changed_ = repaired;
}

void OptionsDialog::fill_lists() {
  ui_->language->set_items(list_of(kLanguageListId, shown_language_));
  ui_->bauds->set_items(list_of(kSpeedListId, shown_language_));
  ui_->useModem->set_items(list_of(kYesNoListId, shown_language_));
  ui_->dial->set_items(list_of(kToneListId, shown_language_));
  QStringList ports;
  for (int n = 1; n <= OptionValues::kPortCount; ++n) {
    // Beside "Com n", the device and its stable name when there is one.
    QString entry = QStringLiteral("%1 %2").arg(text(kComId)).arg(n);
    const std::string device = PortMap::instance().describe(n);
    if (!device.empty()) entry += QStringLiteral(" (%1)").arg(QString::fromStdString(device));
    ports << entry;
  }
  ui_->port->set_items(ports);
}

void OptionsDialog::show_values(const OptionValues& v) {
  ui_->spreadsheetPath->setText(QString::fromStdString(v.spreadsheet_path));
  show_whole_number(ui_->maxTime, v.record_lap_time);
  show_whole_number(ui_->sampleTime, v.sample_record_time);
  ui_->language->select_value(v.language);
  ui_->port->select_value(v.port);
  ui_->bauds->select_value(v.bauds);
  show_whole_number(ui_->jbus, v.jbus);
  ui_->useModem->select_value(v.use_modem);
  ui_->dial->select_value(v.numerotation);
  ui_->initString->setText(QString::fromStdString(v.init_string));
  ui_->phone->setText(QString::fromStdString(v.telephone_number));
  ui_->disconnectString->setText(QString::fromStdString(v.disconnect_string));
  show_whole_number(ui_->answerTimeout, v.answer_timeout);
}

OptionValues OptionsDialog::shown_values() const {
  OptionValues v;
  v.spreadsheet_path = ui_->spreadsheetPath->text().toStdString();
  v.record_lap_time = ui_->maxTime->number();
  v.sample_record_time = ui_->sampleTime->number();
  v.language = ui_->language->selected_value();
  v.port = ui_->port->selected_value();
  v.bauds = ui_->bauds->selected_value();
  v.jbus = ui_->jbus->number();
  v.use_modem = ui_->useModem->selected_value();
  v.numerotation = ui_->dial->selected_value();
  v.init_string = ui_->initString->text().toStdString();
  v.telephone_number = ui_->phone->text().toStdString();
  v.disconnect_string = ui_->disconnectString->text().toStdString();
  v.answer_timeout = ui_->answerTimeout->number();
  return v;
}

void OptionsDialog::relabel() {
  const bool was_filling = filling_;
  filling_ = true;
  set_custom_title(text(kTitleTextId));
  ui_->pages->setTabText(ui_->pages->indexOf(ui_->generalPage), text(kGeneralPageId));
  ui_->pages->setTabText(ui_->pages->indexOf(ui_->modemPage), text(kModemPageId));
  ui_->exportGroup->setTitle(text(kExportGroupId));
  ui_->spreadsheetLabel->setText(text(kSpreadsheetId));
  ui_->saveGroup->setTitle(text(kSaveGroupId));
  ui_->maxTimeLabel->setText(text(kMaxTimeId));
  ui_->maxTimeUnit->setText(text(kMinutesId));
  ui_->sampleLabel->setText(text(kSampleTimeId));
  ui_->sampleUnit->setText(text(kSecondsId));
  ui_->languageLabel->setText(text(kLanguageId));
  ui_->comGroup->setTitle(text(kComId));
  ui_->baudsLabel->setText(text(kBaudsId));
  ui_->jbusLabel->setText(text(kJBusId));
  ui_->autosearch->setText(text(kAutosearchId));
  ui_->useModemLabel->setText(text(kUseModemId));
  ui_->dialLabel->setText(text(kDialId));
  ui_->initLabel->setText(text(kInitStringId));
  ui_->phoneLabel->setText(text(kPhoneId));
  ui_->disconnectLabel->setText(text(kDisconnectId));
  ui_->timeoutLabel->setText(text(kTimeoutId));
  ui_->timeoutUnit->setText(text(kMillisecondsId));
  refill(ui_->useModem, list_of(kYesNoListId, shown_language_));
  refill(ui_->dial, list_of(kToneListId, shown_language_));
  filling_ = was_filling;
}

void OptionsDialog::apply_rules() {
  OptionValues rules;
  rules.use_modem = ui_->useModem->selected_value();
  ui_->autosearch->setEnabled(rules.autosearch_allowed());
  const bool modem = rules.modem_fields_enabled();
  for (QWidget* field : std::initializer_list<QWidget*>{ui_->dial, ui_->initString, ui_->phone,
                                                        ui_->disconnectString, ui_->answerTimeout}) {
    field->setEnabled(modem);
  }
}

void OptionsDialog::mark_changed() {
  if (!filling_) changed_ = true;
}

void OptionsDialog::browse_spreadsheet() {
  FileDialogService::Request request;
  request.folder = QString::fromStdString(Configuration::instance().last_folder());
  request.filter = QString::fromLatin1(kProgramFilter);
  const std::optional<QString> chosen = FileDialogService::current().open_path(this, request);
  if (!chosen || chosen->isEmpty()) return;
  ui_->spreadsheetPath->setText(*chosen);
  const std::string folder = folder_of(chosen->toStdString());
  if (!folder.empty()) Configuration::instance().set_last_folder(folder);
  mark_changed();
}

void OptionsDialog::clear_spreadsheet() {
  if (ui_->spreadsheetPath->text().isEmpty()) return;
  ui_->spreadsheetPath->clear();
  mark_changed();
}

void OptionsDialog::autosearch() {
  WindowTable identification;
  int words = 1;
  if (find_window("identification", shown_language_, identification)) {
    words = make_field_list(identification, shown_language_).block_words(block::kIdentification);
  }
  // Without the program's master the search lends itself a link, with the
  // answer time-out the windows read with.
  std::unique_ptr<JBusMaster> own;
  JBusMaster* master = master_;
  if (master == nullptr) {
    own = std::make_unique<JBusMaster>();
    own->set_answer_timeout(BlockTransfer::kReadTimeoutMs);
    master = own.get();
  }
  SearchDialog search(master, block::kIdentification, words, kJBusNumberPosition, kSearchSpeeds,
                      this);
  search.exec();
  const int port = search.found_port();
  if (port < 1 || port > OptionValues::kPortCount) return;
  ui_->port->select_value(port - 1);
  ui_->bauds->select_value(search.found_baud_index());
  show_whole_number(ui_->jbus, search.found_jbus_number());
  mark_changed();
}

void OptionsDialog::accept() {
  // A field still being typed in counts as left: its limits apply.
  for (NumberField* field : {ui_->maxTime, ui_->sampleTime, ui_->jbus, ui_->answerTimeout}) {
    field->finish_edit();
  }
  if (changed_) {
    // The question speaks the language shown, buttons included.
    const ScopedQtTranslations buttons(shown_language_);
    const int answer = message_service().ask(this, text(kSaveQuestionTextId), text(kCautionTextId));
    if (answer == MessageService::kYes) {
      const OptionValues values = shown_values();
      if (write_option_values(settings(), values) != 0) {
        // Said, not passed over: the window stays, nothing is lost.
        message_service().show(this, text(kCannotWriteId), text(kErrorCaptionId),
                               MessageService::Icon::Error);
        return;
      }
      Configuration& configuration = Configuration::instance();
      if (settings().path() == configuration.configuration_path()) {
        configuration.set_spreadsheet_program(values.spreadsheet_path);
        configuration.read_switches();
      }
    }
  }
  DialogRoot::accept();
}

QTabWidget* OptionsDialog::pages() const { return ui_->pages; }
QLineEdit* OptionsDialog::spreadsheet_path() const { return ui_->spreadsheetPath; }
QPushButton* OptionsDialog::browse_button() const { return ui_->browseButton; }
QPushButton* OptionsDialog::clear_button() const { return ui_->clearButton; }
NumberField* OptionsDialog::record_lap_time() const { return ui_->maxTime; }
NumberField* OptionsDialog::sample_time() const { return ui_->sampleTime; }
ChoiceList* OptionsDialog::language_list() const { return ui_->language; }
ChoiceList* OptionsDialog::port_list() const { return ui_->port; }
ChoiceList* OptionsDialog::baud_list() const { return ui_->bauds; }
NumberField* OptionsDialog::jbus_field() const { return ui_->jbus; }
NotifyingButton* OptionsDialog::autosearch_button() const { return ui_->autosearch; }
ChoiceList* OptionsDialog::use_modem_list() const { return ui_->useModem; }
ChoiceList* OptionsDialog::dial_list() const { return ui_->dial; }
QLineEdit* OptionsDialog::init_string() const { return ui_->initString; }
QLineEdit* OptionsDialog::phone() const { return ui_->phone; }
QLineEdit* OptionsDialog::disconnect_string() const { return ui_->disconnectString; }
NumberField* OptionsDialog::answer_timeout() const { return ui_->answerTimeout; }
QPushButton* OptionsDialog::ok_button() const { return ui_->okButton; }

}  // namespace orvadw
