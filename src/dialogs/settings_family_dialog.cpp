#include "dialogs/settings_family_dialog.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

#include "base/result_codes.h"
#include "base/text_table.h"
#include "dialogs/print_window.h"
#include "dialogs/settings_family_hooks.h"
#include "files/configuration.h"
#include "files/save_path.h"
#include "params/block_sequence_runner.h"
#include "ui/button_icons.h"
#include "ui/control_takeover.h"
#include "ui/dialog_template_registry.h"
#include "ui/field_binder.h"
#include "ui/message_service.h"
#include "ui/parameter_page_builder.h"
#include "ui_settings_family.h"

namespace orvadw {

namespace {

struct FamilyButton {
  int control;
  int icon;
  int standard_icon;
};

constexpr FamilyButton kButtons[] = {
    {SettingsFamilyDialog::kPrintButton, SettingsFamilyDialog::kPrintIcon, icon_id::kPrint},
    {SettingsFamilyDialog::kCompareButton, SettingsFamilyDialog::kCompareIcon, icon_id::kCompare},
    {SettingsFamilyDialog::kTransferButton, SettingsFamilyDialog::kTransferIcon,
     icon_id::kTransfer},
    {SettingsFamilyDialog::kSaveButton, SettingsFamilyDialog::kSaveIcon, icon_id::kSave},
};

// The window's form and its pages are built from its table, registered
// before the dialog applies its template. Layout does not depend on the
// language.
int register_templates(SettingsFamilyDialog::TableMaker make_table) {
  const WindowTable table = make_table(kEnglish);
  const bool tabbed = !table.pages.empty();
  DialogTemplateRegistry::add(table.template_id,
                              [descriptors = table.descriptors, tabbed](QWidget* target) {
                                Ui::SettingsFamilyForm form;
                                form.setupUi(target);
                                if (tabbed) {
                                  auto* tabs = new QTabWidget;
                                  replace_placeholder(form.c1298, tabs);
                                } else {
                                  ParameterPageBuilder::build(descriptors, -1, form.c1298);
                                }
                              });
  for (std::size_t page = 0; page < table.pages.size(); ++page) {
    ParameterPageBuilder::register_page(
        settings_family_page_template(table.template_id, static_cast<int>(page)), table.descriptors,
        static_cast<int>(page));
  }
  return table.template_id;
}

// Between two blocks too, the window thread serves its timers and paints
// (the link's idle hook does it while an answer is awaited); the person's
// input waits for the end of the operation.
void serve_events() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::string current_configuration(const std::string& given) {
  return given.empty() ? Configuration::instance().configuration_path() : given;
}

}  // namespace

int settings_family_page_template(int window_template, int page) {
  return window_template * 100 + page + 1;
}

// The blocks of the window as the sequence runner reaches them.
class SettingsFamilyDialog::WindowBlocks : public BlockAccess {
 public:
  explicit WindowBlocks(SettingsFamilyDialog& dialog) : dialog_(dialog) {}
  int read_block(int block) override { return dialog_.read_block(block); }
  int write_block(int block) override { return dialog_.write_block(block); }
  void step_progress(int amount) override {
    dialog_.step_progress(amount);
    serve_events();
  }

 private:
  SettingsFamilyDialog& dialog_;
};

SettingsFamilyDialog::SettingsFamilyDialog(TableMaker make_table, JBusMaster* master,
                                           int start_mode, QWidget* parent,
                                           const std::string& file_path,
                                           const std::string& configuration_path)
    : CommunicatingDialog(register_templates(make_table), master,
                          make_table(kEnglish).file_kind_text_id, start_mode, parent,
                          current_configuration(configuration_path)),
      make_table_(make_table) {
  table_ = make_table(language());
  rules_ = window_rules(table_.key);
  sequences_ = BlockSequences(table_.read_sequence, table_.write_sequence, table_.file_sequence);
  this->file_path() = file_path;
  set_title_id(table_.title_text_id);
  for (std::size_t page = 0; page < table_.pages.size(); ++page) {
    add_page(settings_family_page_template(template_id(), static_cast<int>(page)),
             table_.pages[page].tab_title_text_id);
  }
  add_fields(table_.descriptors);
  status_line_ = findChild<QLabel*>(QStringLiteral("status_line"));
  // The family's icons, under the ids its buttons ask for.
  for (const FamilyButton& b : kButtons) {
    if (ButtonIcons::icon(b.icon).isNull())
      ButtonIcons::add(b.icon, ButtonIcons::icon(b.standard_icon));
  }
}

SettingsFamilyDialog::~SettingsFamilyDialog() {
  if (observing_) fields().remove_observer(this);
}

int SettingsFamilyDialog::set_sequence(int block, int position, Sequence sequence,
                                       int register_count) {
  if (register_count > 0 && raw_blocks_.register_block(block, register_count) != 0) return -1;
  return sequences_.set(block, position, sequence);
}

void SettingsFamilyDialog::set_compare_allowed(bool allowed) {
  compare_allowed_ = allowed;
  changed_marker();
}

// ---------------------------------------------------------------------------
// Start-up

void SettingsFamilyDialog::init_dialog() {
  CommunicatingDialog::init_dialog();
  take_over_buttons();
  add_window_controls();
  fields().add_observer(this);
  observing_ = true;
  changed_marker();
  start_up();
}

void SettingsFamilyDialog::take_over_buttons() {
  for (const FamilyButton& b : kButtons) {
    auto* button = take_over<NotifyingButton>(this, b.control, this, b.control);
    if (button == nullptr) continue;
    button->set_icon(b.icon);
    button->setAutoDefault(false);
    if (b.control == kCompareButton) compare_button_ = button;
  }
}

void SettingsFamilyDialog::start_up() {
  switch (start_mode()) {
    case kModeFromInstrument:
    case kModeReadAndSave:
    case kModeReadAndPrint:
      if (read_all() != 0) {
        close_check();
        return;
      }
      break;
    case kModeUnattended: {
      if (rules_.unattended != nullptr) rules_.unattended(fields());
      on_edit_done();
      press_transfer();  // builds the write sequence; nothing is sent yet
      const int rc = transfer(2);
      done(rc == 0 ? Accepted : Rejected);
      return;
    }
    case kModeFromFile:
    case kModeCompareCopy:
      if (load_all() != 0) {
        close_check();
        return;
      }
      if (start_mode() == kModeFromFile && !visible_flag_) {
        send_file_to_instrument();
        return;
      }
      break;
    default:  // 2, new: nothing is read
      break;
  }
  finish_start_up();
}

void SettingsFamilyDialog::finish_start_up() {
  fields().commit();
  if (start_mode() == kModeCompareCopy) {
    on_edit_done();
    SettingsFamilyDialog* actual = partner_.data();
    const int rc = actual != nullptr ? show_parameter_differences(*this, *actual) : -1;
    done(rc == 0 ? Accepted : Rejected);
    return;
  }
  on_edit_done();
  if (start_mode() == kModeReadAndSave) {
    std::string path = file_path();
    done(save_all(path) == 0 ? Accepted : Rejected);
  } else if (start_mode() == kModeReadAndPrint) {
    done(print_sheet(false) == 0 ? Accepted : Rejected);
  }
}

void SettingsFamilyDialog::send_file_to_instrument() {
  set_start_mode(kModeFromInstrument);
  fields().commit();
  if (read_identification_block() == 0 && serial_matches_file()) press_transfer();
  if (!ended_) done(Rejected);
}

// The serial week, year and number the instrument gave against those the
// file held (committed before the read).
bool SettingsFamilyDialog::serial_matches_file() {
  using namespace identification;
  for (int control : {kSerialWeek, kSerialYear, kSerialNumber}) {
    const ParameterField* field = identification_field(control);
    if (field == nullptr || field->is_changed()) return false;
  }
  return true;
}

void SettingsFamilyDialog::close_check() {
  if (!progress_shown()) done(Rejected);
}

void SettingsFamilyDialog::done(int result) {
  ended_ = true;
  CommunicatingDialog::done(result);
}

// ---------------------------------------------------------------------------
// Blocks

int SettingsFamilyDialog::block_registers(int block) const {
  const int raw = raw_blocks_.register_count(block);
  return raw > 0 ? raw : fields().block_words(block);
}

std::vector<std::uint8_t> SettingsFamilyDialog::block_image(int block) const {
  if (raw_blocks_.is_registered(block)) {
    if (raw_blocks_.received(block)) {
      const auto image = raw_blocks_.image(block);
      return {image.begin(), image.end()};
    }
    // Never received (a new window): what its fields hold, when they cover
    // the entry's registers exactly; else nothing, rather than a record of
    // another size that no load would take back.
    std::vector<std::uint8_t> encoded = fields().register_image(block);
    if (encoded.size() == 2 * static_cast<std::size_t>(raw_blocks_.register_count(block))) {
      return encoded;
    }
    return {};
  }
  return fields().register_image(block);
}

int SettingsFamilyDialog::store_answer(int address, std::span<const std::uint8_t> bytes) {
  if (raw_blocks_.is_registered(address)) return raw_blocks_.keep(address, bytes);
  return CommunicatingDialog::store_answer(address, bytes);
}

int SettingsFamilyDialog::read_block(int block) {
  return read_registers(block, block_registers(block));
}

int SettingsFamilyDialog::write_block(int block) {
  const std::vector<std::uint8_t> image = block_image(block);
  if (image.empty()) return -1;  // a raw entry with nothing to send
  return write_registers(block, image);
}

int SettingsFamilyDialog::read_all() {
  show_progress(true);
  set_progress_range(sequences_.length(Sequence::kRead) + 1);
  step_progress(1);
  if (read_identification_block() != 0) {
    show_progress(false);
    return -1;
  }
  serve_events();
  WindowBlocks blocks(*this);
  const SequenceOutcome outcome = read_sequence(sequences_.blocks(Sequence::kRead), blocks);
  show_progress(false);
  if (!outcome.ok()) return -1;
  from_file_ = false;
  if (status_line_) status_line_->setText(text_of(kConnectedTextId));
  build_header_text();
  return 0;
}

int SettingsFamilyDialog::transfer(int attempts) {
  finish_editing();
  const std::vector<int> blocks = sequences_.blocks(Sequence::kWrite);
  show_progress(true);
  set_progress_range(transfer_progress_range(static_cast<int>(blocks.size()), attempts));
  step_progress(1);
  WindowBlocks access(*this);
  const SequenceOutcome outcome = transfer_sequence(blocks, attempts, access);
  show_progress(false);
  last_transfer_ok_ = outcome.ok();
  if (outcome.ok()) return 0;
  if (outcome.result == result::kCannotOpenForWrite) {
    show_error(kCannotOpenPortTextId, kErrorCaptionId);
  } else {
    show_error(kNoAnswerTextId, kErrorCaptionId);
  }
  return -1;
}

// ---------------------------------------------------------------------------
// Files

void SettingsFamilyDialog::remember_file(const std::string& path, const DateTime& saved) {
  file_path() = path;
  file_time_ = saved;
  from_file_ = true;
  set_document_name(QString::fromStdString(path));
}

int SettingsFamilyDialog::load_all() {
  std::string path = file_path();
  const std::vector<int>& blocks = sequences_.blocks(Sequence::kFile);
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const int raw = raw_blocks_.register_count(blocks[i]);
    if (load_record(path, blocks[i], static_cast<int>(i), raw > 0 ? raw : -1) != 0) {
      // The file opened and passed its checks, yet a record is missing or
      // of another size: a file of another kind. Say so rather than close
      // without a word.
      if (file_open()) show_error(kIncorrectFileTextId, kErrorCaptionId);
      close_file();
      return -1;
    }
  }
  const DateTime saved = file_session().file_save_time();
  close_file();
  remember_file(path, saved);
  return 0;
}

int SettingsFamilyDialog::save_all(std::string& path) {
  const std::vector<int>& blocks = sequences_.blocks(Sequence::kFile);
  if (blocks.empty()) return -1;
  // The identification written is that of the values now held: read from
  // the instrument, or taken from the file they were loaded from.
  build_header_text();
  // Every record is made before the file is touched: a block with nothing
  // to save leaves no half-written file behind.
  std::vector<std::vector<std::uint8_t>> images;
  for (int block : blocks) {
    images.push_back(block_image(block));
    if (images.back().empty()) return -1;
  }
  // One write of the whole file: a file already there is replaced only once
  // the new one is complete.
  return save_records(path, images) == 0 ? 0 : -1;
}

// ---------------------------------------------------------------------------
// Title, rules and buttons

void SettingsFamilyDialog::changed_marker() {
  QString suffix;
  const bool changed = fields().has_changes();
  if (changed) {
    suffix = text_of(kChangedTextId);
  } else if (from_file_) {
    suffix = QStringLiteral(" (%1 - %2)")
                 .arg(QString::fromStdString(file_time_.format_date()),
                      QString::fromStdString(file_time_.format_time()));
  }
  if (suffix != title_suffix()) set_title_suffix(suffix);
  if (compare_button_) compare_button_->setVisible(compare_allowed_ && !changed);
}

void SettingsFamilyDialog::field_value_changed(ParameterField&, ChangeOrigin) {
  changed_marker();
}

int SettingsFamilyDialog::on_edit_done() {
  apply_window_rules(rules_, fields());
  changed_marker();
  return 0;
}

void SettingsFamilyDialog::on_button_click(int control, qint64) {
  switch (control) {
    case kPrintButton:
      press_print();
      break;
    case kCompareButton:
      press_compare();
      break;
    case kTransferButton:
      press_transfer();
      break;
    case kSaveButton:
      press_save();
      break;
    default:
      break;
  }
}

void SettingsFamilyDialog::press_transfer() {
  finish_editing();
  if (start_mode() != kModeUnattended &&
      ask(kTransferQuestionId, QString(), table_.title_text_id) != MessageService::kYes) {
    return;
  }
  plan_window_transfer(rules_, fields(), sequences_, DateTime::now());
  // The unattended start-up sends the sequence itself, with two attempts.
  if (start_mode() == kModeUnattended) return;
  if (transfer(1) == 0) done(Accepted);
}

void SettingsFamilyDialog::press_save() {
  finish_editing();
  set_start_mode(kModeFromFile);
  std::string path;
  if (save_all(path) != 0) return;
  FileHeader header;
  const int rc = read_identification(path, header);
  close_file();
  remember_file(path, rc == 0 ? header.save_time : DateTime::now());
  fields().commit();
  on_edit_done();
}

void SettingsFamilyDialog::press_print() {
  finish_editing();
  print_sheet(true);
}

int SettingsFamilyDialog::print_sheet(bool ask_printer) {
  return print_window(*this, ask_printer);
}

void SettingsFamilyDialog::press_compare() {
  finish_editing();
  std::unique_ptr<SettingsFamilyDialog> copy = make_comparison_copy();
  copy->set_compare_partner(this);
  copy->exec();
  copy.reset();
  close_check();
}

std::unique_ptr<SettingsFamilyDialog> SettingsFamilyDialog::make_comparison_copy() {
  return std::make_unique<SettingsFamilyDialog>(make_table_, master(), kModeCompareCopy, this,
                                                std::string(), settings().path());
}

}  // namespace orvadw
