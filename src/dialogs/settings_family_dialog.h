#pragma once
// The base of the windows that edit parameter blocks of the instrument (the
// settings pages, the special settings, the analog output adjustment): from
// its start mode it reads the blocks from the instrument, loads them from a
// file or starts from the table's values; it marks the title " (Changed)"
// while values differ from what was last read or loaded; it transfers its
// write sequence with attempts and the progress window, saves, prints and
// opens a comparison copy. Its layout, rules and sequences come from the
// window's table (WindowTable, WindowRules), shared with the command line.
#include <QPointer>
#include <memory>
#include <span>
#include <string>

#include "base/date_time.h"
#include "dialogs/communicating_dialog.h"
#include "params/block_sequences.h"
#include "params/raw_block_store.h"
#include "params/window_rules.h"
#include "params/window_table.h"

class QLabel;

namespace orvadw {

class NotifyingButton;

class SettingsFamilyDialog : public CommunicatingDialog, public FieldObserver {
  Q_OBJECT

 public:
  // The family's buttons (control id) and their icons (resource id).
  static constexpr int kPrintButton = 1307;
  static constexpr int kCompareButton = 1300;
  static constexpr int kTransferButton = 1317;
  static constexpr int kSaveButton = 1313;
  static constexpr int kPrintIcon = 134;
  static constexpr int kCompareIcon = 131;
  static constexpr int kTransferIcon = 143;
  static constexpr int kSaveIcon = 139;
  // The place of the rows: the tab control, or the rows themselves.
  static constexpr int kContentControl = 1298;

  // Start modes beyond the base's 1, 2 and 4.
  static constexpr int kModeUnattended = 16;
  static constexpr int kModeCompareCopy = 36;
  static constexpr int kModeReadAndSave = 65;
  static constexpr int kModeReadAndPrint = 129;

  static constexpr int kChangedTextId = 138;
  static constexpr int kConnectedTextId = 235;
  static constexpr int kTransferQuestionId = 213;
  static constexpr int kIncorrectFileTextId = 68;

  using TableMaker = WindowTable (*)(int language);

  // file_path: the file of modes 4 (empty: the open dialog asks) and 65;
  // configuration_path: the program's current configuration when empty.
  SettingsFamilyDialog(TableMaker make_table, JBusMaster* master, int start_mode,
                       QWidget* parent = nullptr, const std::string& file_path = {},
                       const std::string& configuration_path = {});
  ~SettingsFamilyDialog() override;

  const WindowTable& table() const { return table_; }
  const std::string& window_key() const { return table_.key; }

  // The read, write and file sequences. An entry given its own register
  // count is read with that count into raw_blocks(), without decoding.
  int set_sequence(int block, int position, Sequence sequence, int register_count = 0);
  int sequence_length(Sequence sequence) const { return sequences_.length(sequence); }
  const BlockSequences& sequences() const { return sequences_; }
  const RawBlockStore& raw_blocks() const { return raw_blocks_; }

  // The reading pattern for one block (0, or -1 after the message), and
  // the writing pattern (0, 500 no line, -1 no valid answer; no message).
  int read_block(int block);
  int write_block(int block);
  // The identification block, then the read sequence, with the progress
  // window. 0, or -1 after the message.
  int read_all();
  // The write sequence with up to attempts tries a block. 0, or -1 after
  // the message; the blocks after the failing one are not written.
  int transfer(int attempts);
  bool last_transfer_succeeded() const { return last_transfer_ok_; }
  // The file sequence from file_path() (the open dialog when it is empty).
  // 0, or -1 after the message (a cancelled open dialog says nothing).
  int load_all();
  // The file sequence to path (the save dialog when it is empty; the chosen
  // path comes back). 0 or -1.
  int save_all(std::string& path);

  // Recomputes the title: " (Changed)" while values differ from the last
  // read or load, else the file's date and time when they came from one.
  void changed_marker();
  // Ends the dialog unless the please-wait window is up.
  void close_check();

  // Comparison.
  bool compare_allowed() const { return compare_allowed_; }
  void set_compare_allowed(bool allowed);
  // The window whose values a comparison copy is compared with.
  SettingsFamilyDialog* compare_partner() const { return partner_.data(); }
  void set_compare_partner(SettingsFamilyDialog* actual) { partner_ = actual; }

  // Cleared before start-up, mode 4 sends the loaded file to the instrument
  // without showing the window, when the file is that instrument's.
  bool visible_flag() const { return visible_flag_; }
  void set_visible_flag(bool visible) { visible_flag_ = visible; }

  // The file the values came from (or were last saved to), with its time.
  bool values_from_file() const { return from_file_; }
  const DateTime& file_time() const { return file_time_; }

  // The buttons' handlers, also for tests and callers that press them.
  void press_transfer();
  void press_save();
  void press_print();
  void press_compare();

  QLabel* status_line() const { return status_line_.data(); }

  void done(int result) override;

  // FieldObserver: every change of a value recomputes the title.
  void field_value_changed(ParameterField& field, ChangeOrigin origin) override;

 protected:
  void init_dialog() override;
  int on_edit_done() override;
  int store_answer(int address, std::span<const std::uint8_t> bytes) override;
  void on_button_click(int control, qint64 parameter) override;

  // Controls a window adds once its fields are bound (a Defaults button).
  virtual void add_window_controls() {}
  // A new dialog of the same kind in the comparison mode; the family's own
  // unless a window needs more.
  virtual std::unique_ptr<SettingsFamilyDialog> make_comparison_copy();
  // Prints the window's sheet (the printer dialog first when ask_printer);
  // 0 when printed. The family's parameter sheet unless a window prints
  // its own.
  virtual int print_sheet(bool ask_printer);

 private:
  class WindowBlocks;
  void take_over_buttons();
  void start_up();
  // Mode 4 with the visible flag cleared.
  void send_file_to_instrument();
  void finish_start_up();
  bool serial_matches_file();
  std::vector<std::uint8_t> block_image(int block) const;
  int block_registers(int block) const;
  void remember_file(const std::string& path, const DateTime& saved);

  TableMaker make_table_;
  WindowTable table_;
  WindowRules rules_;
  BlockSequences sequences_;
  RawBlockStore raw_blocks_;
  QPointer<NotifyingButton> compare_button_;
  QPointer<QLabel> status_line_;
  QPointer<SettingsFamilyDialog> partner_;
  DateTime file_time_;
  bool from_file_ = false;
  bool compare_allowed_ = true;
  bool visible_flag_ = true;
  bool last_transfer_ok_ = false;
  bool ended_ = false;
  bool observing_ = false;
};

// The template id of a window's page: built from the window's table.
int settings_family_page_template(int window_template, int page);

}  // namespace orvadw
