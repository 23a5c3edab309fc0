#include "app/application.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <cstdio>
#include <cstdlib>

#include "app/builtin_simulator.h"
#include "app/termination_signal.h"
#include "app/window_entry.h"
#include "dialogs/differences_dialog.h"
#include "dialogs/options_dialog.h"
#include "dialogs/settings_family_hooks.h"
#include "link/block_transfer.h"
#include "link/jbus_master.h"
#include "files/configuration.h"
#include "files/save_path.h"
#include "link/port_map.h"
#include "ui/named_message_registry.h"
#include "views/main_window.h"

namespace orvadw {

Application::Application(QStringList arguments) : arguments_(std::move(arguments)) {
  // The window messages get their numbers before any window exists; asking
  // for the list also keeps the registry linked into the program.
  (void)NamedMessageRegistry::fixed_names();
  // A settings window's compare button ends in the differences dialog.
  install_parameter_compare_hook(show_parameter_differences_dialog);
}

Application::~Application() {
  finish();
  termination_.reset();
}

void Application::arm_termination() {
  // Armed before anything slow happens at start-up: a request that comes
  // while the configuration loads or the main window is built must still
  // end the program through its normal end, not by the default action.
  if (termination_) return;
  termination_ = std::make_unique<TerminationSignal>([this] {
    quit_requested_ = true;
    if (quit_action_) quit_action_();
  });
}

int Application::start() {
  arm_termination();
  Configuration& configuration = Configuration::instance();
  const std::string handed_over =
      arguments_.isEmpty() ? std::string() : arguments_.front().toStdString();
  const int rc = configuration.load_configuration(handed_over);
  configuration.read_switches();
  configuration.set_modem_connected(false);
  // Which device is COM<n> comes from the current configuration.
  PortMap::instance().load(configuration.configuration_path());
  if (simulator_wanted_ && !simulator_) simulator_ = std::make_unique<BuiltinSimulator>();
  return rc;
}

MainWindow& Application::main_window() {
  if (!window_) {
    window_ = std::make_unique<MainWindow>();
    if (simulator_) {
      window_->set_simulated_instrument(true);
      window_->set_configuration_listener([this] {
        if (simulator_) simulator_->follow_configuration();
      });
    }
  }
  return *window_;
}

namespace {

// With ORVADW_REPORT_SHOWN set, the program says on standard error when its
// main window is first painted: what the start-up benchmark times.
class FirstPaintReport : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      std::fputs("orvadw: main window shown\n", stderr);
      std::fflush(stderr);
      watched->removeEventFilter(this);
    }
    return false;
  }
};

}  // namespace

int Application::run() {
  MainWindow& window = main_window();
  FirstPaintReport report;
  if (std::getenv("ORVADW_REPORT_SHOWN") != nullptr) window.installEventFilter(&report);
  arm_termination();
  quit_action_ = [this] { request_quit(); };
  // Modal to its own (empty) parent chain only: the frame monitor, a window
  // of its own, keeps taking clicks while the main window and the windows
  // it runs wait on each other.
  window.setWindowModality(Qt::WindowModal);
  if (!quit_requested_) window.exec();
  quit_action_ = nullptr;
  finish();
  return 0;
}

int Application::run_window(const WindowRequest& request) {
  const WindowFactory* factory = find_window_factory(request.name);
  if (factory == nullptr) return 1;
  const std::string file = request.file.toStdString();
  // A named file's folder is where the next file dialog opens.
  if (!file.empty()) Configuration::instance().set_last_folder(folder_of(file));
  std::unique_ptr<QDialog> window =
      factory->make(&main_window().master(), request.start_mode, nullptr, file);
  arm_termination();
  quit_action_ = [this] { request_quit(); };
  const int result = quit_requested_ ? QDialog::Rejected : window->exec();
  quit_action_ = nullptr;
  window.reset();
  finish();
  return result == QDialog::Accepted ? 0 : 1;
}

int Application::run_options() {
  JBusMaster master;
  master.set_answer_timeout(BlockTransfer::kReadTimeoutMs);
  OptionsDialog options(&master, nullptr);
  arm_termination();
  // As the close box: nothing is written.
  quit_action_ = [&options] { options.reject(); };
  if (!quit_requested_) options.exec();
  quit_action_ = nullptr;
  finish();
  return 0;
}

void Application::request_quit() {
  // Windows opened over the main one end first, as if cancelled; one that
  // refuses (a transfer is running) stays, and the program ends after it.
  for (int guard = 0; guard < 64; ++guard) {
    auto* top = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (top == nullptr || top == window_.get()) break;
    top->reject();
    if (top->isVisible()) break;
  }
  if (window_) window_->done(QDialog::Rejected);
}

void Application::finish() {
  if (finished_) return;
  finished_ = true;
  Configuration::instance().save_last_folder();
  window_.reset();
  // After the window: its master's line leads to the instrument.
  simulator_.reset();
}

}  // namespace orvadw
