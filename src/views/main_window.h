#pragma once
// The program's top-level window (template 128): the start-up logo or the
// program's picture under the menu bar from which every job is done. It owns
// the program's one master and lends it to each window it opens; every
// command runs its window modally to the main window and waits for it.
//
// The menu is built from text ids in the current language and rebuilt each
// time the window becomes active, so that the language and the modem state
// it shows are always current. Each item posts its registered message
// ("WM_USER_MENU_...") to the window, which runs the command once the menu
// has closed.
//
// Enter does nothing; Escape, Exit and the close box end the program. The
// frame monitor (Option menu) is a window of its own beside the others.
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/jbus_master.h"
#include "ui/dialog_root.h"

class QEvent;
class QKeyEvent;
class QMenuBar;

namespace Ui {
class Template128;
}

namespace orvadw {

class FrameMonitor;

class MainWindow : public DialogRoot {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 128;

  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  JBusMaster& master() { return master_; }
  QMenuBar* menu_bar() const { return menu_bar_; }

  // InternalName followed by FileVersion from its third character, trimmed
  // and in lower case: "OrvadW 10c".
  static QString program_title();
  // The current configuration file's name without its extension.
  static QString configuration_name(const std::string& configuration_path);

  // Runs after the options or a loaded option file may have changed the
  // current configuration (the program follows its link there).
  void set_configuration_listener(std::function<void()> listener) {
    configuration_listener_ = std::move(listener);
  }

  // The title says that the line leads to the built-in simulated instrument.
  void set_simulated_instrument(bool simulated);
  bool simulated_instrument() const { return simulated_; }

  // The menu in the current language and modem state.
  void build_menu();

  // The commands (the menu's messages lead here).
  // One window of the catalogue in a start mode, modal to this window: its
  // result (QDialog::Rejected for a window the program does not have).
  int run_window(std::string_view name, int start_mode, const std::string& file = {});
  // Open: the open dialog, then the file's window in mode 4.
  void open_file();
  // The window of a chosen file's kind in mode 4; Rejected when no known
  // kind matches (nothing opens).
  int open_path(const std::string& path);
  // Save all: the save dialog, then settings, analog output and special
  // settings each read and saved (mode 65), stopping at the first that
  // fails. The number of files written.
  virtual int save_all();
  // Print all: the same three read and printed (mode 129), each only when
  // the one before closed with OK. The number that did.
  virtual int print_all();
  virtual void run_options();
  virtual void run_about();
  void save_option_file();
  void load_option_file();
  void run_initialization();
  void modem_connect();
  void modem_disconnect();
  // Shows the frame monitor (made on first use) and starts it watching.
  void show_frame_monitor();
  FrameMonitor* frame_monitor() const { return monitor_.get(); }

  void done(int result) override;

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The configuration may have changed: language, title, menu, link.
  void follow_current_configuration();
  void show_picture();
  void show_title();

  JBusMaster master_;
  std::unique_ptr<Ui::Template128> ui_;
  QMenuBar* menu_bar_ = nullptr;
  std::unique_ptr<FrameMonitor> monitor_;
  std::function<void()> configuration_listener_;
  bool simulated_ = false;
  bool ending_ = false;
};

}  // namespace orvadw
