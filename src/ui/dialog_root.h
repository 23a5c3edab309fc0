#pragma once
// The root of every dialog window: the language read once at construction,
// the title built from its parts, message boxes by text id, the window
// placement kept in the per-user settings and in the configuration file, and
// Escape that never closes a dialog.
#include <QDialog>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "files/settings_store.h"
#include "ui/file_dialog_service.h"
#include "ui/work_area_placement.h"

class QKeyEvent;

namespace orvadw {

class MessageService;

class DialogRoot : public QDialog {
  Q_OBJECT

 public:
  enum PlacementFlag {
    kSaveSize = 1,
    kKeepSize = 2,          // with kSaveSize: save the size but do not restore it
    kSavePosition = 4,
    kKeepPosition = 8,      // with kSavePosition: save the position but do not restore it
    kCentre = 16,
  };

  // The dialog template of that id (when one is registered) fills the dialog.
  // The settings store points at the current configuration file, or at the
  // one given.
  explicit DialogRoot(int template_id, QWidget* parent = nullptr);
  DialogRoot(int template_id, QWidget* parent, const std::string& configuration_path);
  ~DialogRoot() override;

  int template_id() const { return template_id_; }
  int language() const { return language_; }
  // Points the settings store at another configuration file and reads the
  // language from it again (a window that outlives an options change or a
  // loaded option file). The title follows.
  void follow_configuration(const std::string& configuration_path);
  SettingsStore& settings() { return settings_; }
  const SettingsStore& settings() const { return settings_; }

  // Title.
  void set_title_id(int text_id);
  void set_document_name(const QString& name);
  void set_title_suffix(const QString& suffix);
  void set_custom_title(const QString& title);
  int title_id() const { return title_id_; }
  const QString& document_name() const { return document_name_; }
  const QString& title_suffix() const { return title_suffix_; }
  const QString& custom_title() const { return custom_title_; }

  // Texts in the dialog's language.
  QString text_of(int text_id) const;
  QString text_of(int text_id, int index) const;

  // Message boxes by text id.
  void show_error(int message_id, int caption_id);
  void show_error(int message_id, const QString& extra, int caption_id);
  // A message already put together (a refusal, a file error) in the same box.
  void show_error_text(const QString& text, int caption_id);
  // MessageService::kYes or kNo.
  int ask(int message_id, const QString& extra, int caption_id);
  // The question before a file is replaced, with the caution caption: true
  // for Yes.
  bool confirm_replace(const std::string& question);

  // The installed save dialog as it answers: the path, or nothing when
  // cancelled.
  std::optional<std::string> ask_save_file(const FileDialogService::Request& request);
  // The save dialog of the file services in the last folder: the chosen
  // name completed with the extension, and asked about before an existing
  // file is replaced (No shows the dialog again). Nothing when cancelled.
  // also_accepted: other extensions a typed name may end with as it stands.
  std::optional<std::string> choose_save_file(const std::string& extension,
                                              const std::string& filter,
                                              const std::string& default_name = {},
                                              const std::vector<std::string>& also_accepted = {});
  // A service for this dialog only (not owned); nullptr uses the installed one.
  void set_message_service(MessageService* service) { message_service_ = service; }
  MessageService& message_service() const;

  // Placement.
  void set_registry_section(const QString& company, const QString& application);
  const QString& registry_company() const { return company_; }
  const QString& registry_application() const { return application_; }
  bool registry_section_complete() const;
  void set_placement_flags(int flags) { placement_flags_ = flags; }
  int placement_flags() const { return placement_flags_; }
  void set_default_rect(const EdgeRect& rect) { default_rect_ = rect; }
  const EdgeRect& default_rect() const { return default_rect_; }

  // Runs the dialog's initialisation once; showing the dialog does it too.
  void initialise();
  bool initialised() const { return initialised_; }

  void setVisible(bool visible) override;
  void done(int result) override;
  // A dialog that ends itself while it initialises (a failed start-up read)
  // returns at once instead of showing and waiting for a close that
  // already happened.
  int exec() override;

  // The value names of the placement, as stored.
  static constexpr const char* kTopKey = "Rect Wnd Top = ";
  static constexpr const char* kLeftKey = "Rect Wnd Left = ";
  static constexpr const char* kWidthKey = "Rect Wnd CX = ";
  static constexpr const char* kHeightKey = "Rect Wnd CY = ";
  static constexpr const char* kStateKey = "Rect Wnd Dimention = ";

 protected:
  // The platform's initialisation step: derived dialogs call the root's first,
  // which restores the placement.
  virtual void init_dialog();
  void restore_placement();
  void save_placement();
  // Moves the window onto the work area of its screen.
  void keep_on_screen();
  void refresh_title();
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void construct(int template_id, const std::string& configuration_path);
  void read_language();
  bool take_early_end();

  SettingsStore settings_;
  QString company_;
  QString application_;
  int placement_flags_ = 0;
  int language_ = 1;
  int template_id_ = 0;
  int title_id_ = -1;
  QString custom_title_;
  QString document_name_;
  QString title_suffix_;
  EdgeRect default_rect_{0, 0, 100, 100};
  MessageService* message_service_ = nullptr;
  bool initialised_ = false;
  bool initialising_ = false;
  bool ended_while_initialising_ = false;
  bool placement_unsaved_ = false;
  bool keep_after_show_ = false;
};

}  // namespace orvadw
