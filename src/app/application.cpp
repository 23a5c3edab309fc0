#include "app/application.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>
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
    request_quit();
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
  // Modal to its own (empty) parent chain only: the frame monitor, a window
  // of its own, keeps taking clicks while the main window and the windows
  // it runs wait on each other.
  window.setWindowModality(Qt::WindowModal);
  exec_running(window);
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
  const int result = exec_running(*window);
  window.reset();
  finish();
  return result == QDialog::Accepted ? 0 : 1;
}

int Application::run_options() {
  JBusMaster master;
  master.set_answer_timeout(BlockTransfer::kReadTimeoutMs);
  OptionsDialog options(&master, nullptr);
  arm_termination();
  // A stop request acts as the close box: nothing is written.
  exec_running(options);
  finish();
  return 0;
}

int Application::exec_running(QDialog& window) {
  // A request that came before the window ran keeps it from opening.
  if (quit_requested_) return QDialog::Rejected;
  running_ = &window;
  const int result = window.exec();
  running_ = nullptr;
  return result;
}

void Application::request_quit() {
  if (running_.isNull()) return;
  // Windows opened over the running one end first, as if cancelled. One in a
  // transfer (its please-wait window is up, maybe in the read that opens
  // it, before it is even shown) refuses: a transfer is not cut in the
  // middle.
  for (int guard = 0; guard < 64; ++guard) {
    auto* top = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (top == nullptr || top == running_) break;
    top->reject();
    if (top->isVisible()) break;
  }
  if (running_ != window_.get()) {
    running_->reject();
  } else if (!main_window_told_) {
    // The main window ends once what runs over it has.
    main_window_told_ = true;
    window_->done(QDialog::Rejected);
  }
  // The request stands until the program's own loop has returned: what
  // refused is asked again shortly, so the program ends as soon as the
  // transfer has.
  if (termination_) {
    QTimer::singleShot(kQuitRetryMs, termination_.get(), [this] { request_quit(); });
  }
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
