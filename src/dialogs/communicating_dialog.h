#pragma once
// The base of every window that shows or edits instrument data. On top of
// the dialog root it holds the link settings read when the window is built,
// the program's master (lent, not owned), the window's parameter set with the
// identification header of block 0xFF00, the please-wait window, the routing
// of the notifying controls' messages to overridable hooks, the reading and
// writing patterns with their messages, the firmware check and the file
// services. The instrument logic lives below (BlockTransfer, check_firmware,
// RecordFileSession); this class only connects it to the screen.
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QString>
#include <QTabWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/record_file.h"
#include "files/record_file_session.h"
#include "link/jbus_frame.h"
#include "params/parameter_field_list.h"
#include "ui/dialog_root.h"

class QCloseEvent;
class QEvent;

namespace orvadw {

class FieldBinder;
class JBusMaster;

class CommunicatingDialog : public DialogRoot {
  Q_OBJECT

 public:
  static constexpr int kReadTimeoutMs = 1000;
  static constexpr int kWriteTimeoutMs = 2500;
  static constexpr int kPleaseWaitTextId = 246;
  static constexpr int kCannotOpenPortTextId = 78;
  static constexpr int kNoAnswerTextId = 73;
  static constexpr int kCautionCaptionId = 4;
  static constexpr int kErrorCaptionId = 74;
  // The label field that shows the instrument's firmware in several windows.
  static constexpr int kFirmwareLabelControl = 1256;

  // Start modes.
  static constexpr int kModeFromInstrument = 1;
  static constexpr int kModeNew = 2;
  static constexpr int kModeFromFile = 4;

  struct Page {
    int template_id = 0;
    int title_text_id = 0;
  };

  // file_kind: a file-kind text id, or -1 for a window without files.
  // master: the program's master, lent for the window's lifetime (may be
  // null for a window that never talks to the instrument).
  CommunicatingDialog(int template_id, JBusMaster* master, int file_kind, int start_mode = 1,
                      QWidget* parent = nullptr);
  CommunicatingDialog(int template_id, JBusMaster* master, int file_kind, int start_mode,
                      QWidget* parent, const std::string& configuration_path);
  ~CommunicatingDialog() override;

  // Start mode (1 instrument, 2 new, 4 file, and the combined modes).
  int start_mode() const { return start_mode_; }
  void set_start_mode(int mode) { start_mode_ = mode; }

  // Link settings, read once at construction.
  int port_number() const { return port_number_; }
  int baud_index() const { return baud_index_; }
  int jbus_number() const { return jbus_number_; }
  int read_timeout() const { return read_timeout_ms_; }
  int write_timeout() const { return write_timeout_ms_; }
  void set_timeouts(int read_ms, int write_ms);
  JBusMaster* master() const { return master_; }

  // The parameter set: the identification header first, then the window's
  // own fields. Pages must be added before the fields that live on them.
  ParameterFieldList& fields() { return *fields_; }
  const ParameterFieldList& fields() const { return *fields_; }
  // Adds the rows of a table (normalised and committed as initial values).
  // Returns the number of rows that could not be added.
  int add_fields(const std::vector<ParameterDescriptor>& table);
  // A field of the identification header by its control id, or nullptr.
  ParameterField* identification_field(int control_id);
  // The controls of the fields; null until the window is initialised.
  FieldBinder* binder() const { return binder_.get(); }
  // Control ids of fields that found no control to show them (a misnamed
  // template control); reported as they are met, empty when all is well.
  const std::vector<int>& unbound_controls() const;

  // Finishes the value being typed as leaving its field would (reformat,
  // limit, on_edit_done). Every path that reads, sends, saves, prints or
  // compares the values runs it first: Enter, or a click on a button that
  // takes no focus, leaves the focus in the field.
  void finish_editing();

  // Tab pages: (page template id, tab title text id) → the page's index.
  int add_page(int template_id, int title_text_id);
  const std::vector<Page>& pages() const { return pages_; }
  QTabWidget* tab_widget() const { return tabs_.data(); }

  // The please-wait window. A second show keeps the window already shown.
  void show_progress(bool on);
  bool progress_shown() const { return !progress_.isNull(); }
  QWidget* progress_window() const { return progress_.data(); }
  void set_progress(int value);
  void set_progress_range(int maximum);
  void step_progress(int amount = 1);
  void set_progress_text(const QString& text);
  int progress_value() const;

  // The reading pattern: 0 (also when a new or loaded window skips its first
  // read), or -1 after the message (78 when the line cannot be opened, 73
  // when the instrument does not answer). The bytes go to store_answer.
  int read_registers(int address, int count);
  // The writing pattern: 0, 500 when the line cannot be opened, -1 when no
  // valid answer came; the caller shows the message.
  int write_registers(int address, const Bytes& bytes);
  // Reads the identification block into the header fields and checks the
  // instrument's firmware. 0 or -1 (after the message).
  int read_identification_block();

  // 0 when the instrument's software version carries the program's version
  // key (or the check is off); -1 after the message.
  int check_firmware(const std::string& software_version);
  bool firmware_check_enabled() const { return firmware_check_; }
  void set_firmware_check(bool on) { firmware_check_ = on; }

  // File services.
  int set_file_kind(int text_id);
  const std::string& default_extension() const { return session_.default_extension(); }
  const std::string& file_filter() const { return session_.filter(); }
  // Rebuilds the identification text of new files from the title and the
  // header fields.
  void build_header_text();
  const std::string& header_text() const { return session_.header_text(); }
  // Mode 8 appends to the file at path; any other mode starts a new file
  // (the save dialog first when path is empty; the chosen path comes back).
  int save_record(std::string& path, std::span<const std::uint8_t> bytes, int mode);
  // A whole file in one go (a window's record list, a logger's pages): an
  // existing file is replaced only once the new one is complete.
  int save_records(std::string& path, std::span<const std::vector<std::uint8_t>> records);
  int open_for_reading(std::string& path, int& count, std::string& header_text);
  // Loads record index into the fields of block (through store_answer). The
  // record must hold register_count registers (-1: the block's own length).
  int load_record(std::string& path, int block, int index, int register_count = -1);
  int read_identification(const std::string& path, FileHeader& header);
  void close_file();
  bool file_open() const { return session_.is_open(); }
  RecordFileSession& file_session() { return session_; }
  // The file the window's data came from or went to.
  std::string& file_path() { return file_path_; }

  // The save dialog with its own overwrite question and extension
  // completion, in the last folder (updated on confirmation). A name ending
  // with one of also_accepted keeps that extension.
  std::optional<std::string> choose_save_path(const std::string& extension,
                                              const std::string& filter,
                                              const std::string& default_name = {},
                                              const std::vector<std::string>& also_accepted = {});
  // The open dialog in the last folder (updated on confirmation).
  std::optional<std::string> choose_open_path(const std::string& filter);
  // Text 77 and the system's description of the error, caption 74.
  void show_file_error(int error_number);

  // A file the window writes as it goes (recording); closed with the window.
  RecordFile& log_file() { return log_file_; }

  // Cancel, Escape and the close box do nothing while the please-wait
  // window is shown.
  void reject() override;

 protected:
  // Hooks of the notifying controls, for derived windows.
  virtual int on_edit_done();
  // Decodes bytes read at address (from the instrument or a file) into the
  // fields; non-zero when they could not be decoded.
  virtual int store_answer(int address, std::span<const std::uint8_t> bytes);
  virtual void on_button_click(int control, qint64 parameter);
  virtual void on_button_focus_lost(int control, qint64 parameter);
  virtual void on_combo_done(int control, qint64 parameter);

  void init_dialog() override;
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void construct(int file_kind, int start_mode);
  void create_pages();
  void apply_identification(const FileHeader& header);
  std::string identification_text(int control_id) const;
  void repaint_progress();
  void bind_fields();
  void place_progress(QWidget* window);
  // The folder of a path the user confirmed becomes the last folder.
  static void remember_folder(const std::string& path);

  int start_mode_ = kModeFromInstrument;
  int port_number_ = 1;
  int baud_index_ = 5;
  int jbus_number_ = 1;
  int read_timeout_ms_ = kReadTimeoutMs;
  int write_timeout_ms_ = kWriteTimeoutMs;
  JBusMaster* master_ = nullptr;

  std::vector<Page> pages_;
  QPointer<QTabWidget> tabs_;
  std::unique_ptr<ParameterFieldList> fields_;
  // Observes fields_: declared after it so that it goes first.
  std::unique_ptr<FieldBinder> binder_;

  QPointer<QWidget> progress_;
  QPointer<QLabel> progress_label_;
  QPointer<QProgressBar> progress_bar_;
  // The field that had the focus when the please-wait window came.
  QPointer<QWidget> focus_before_progress_;

  RecordFileSession session_;
  std::string file_path_;
  // The header being read while its firmware is checked: the message names
  // that file's software, not the one on screen.
  const FileHeader* header_in_check_ = nullptr;
  RecordFile log_file_;
  bool firmware_check_ = true;
};

}  // namespace orvadw
