#pragma once
// Start-up and shutdown of the program: the configuration named on the
// command line or by last.cfg, the program-wide switches, the port map of
// the current configuration, then the main window run modally until the
// program ends; at the end the last folder is saved and the main window (and
// with it the line) goes.
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <memory>

namespace orvadw {

class BuiltinSimulator;
class MainWindow;
struct WindowRequest;
class TerminationSignal;

class Application {
 public:
  // arguments: the command line after the program name; the first one, when
  // present, is the configuration file to use.
  explicit Application(QStringList arguments);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Before start(): the line leads to the built-in simulated instrument
  // instead of the configuration's port ("orvadw --simulator").
  void use_simulator() { simulator_wanted_ = true; }

  // Loads the configuration, reads the switches and the port map; the
  // modem starts disconnected. 0, or -1 when not even the default
  // configuration could be written (the program still runs on defaults).
  int start();
  // The main window, created on first use (after start()).
  MainWindow& main_window();
  // The built-in simulator, when use_simulator() was asked for.
  BuiltinSimulator* simulator() const { return simulator_.get(); }
  // Runs the main window modally; when it closes, finish(). Returns the
  // program's exit code, 0.
  int run();
  // Runs one instrument window modally instead of the main window (which
  // stays hidden and lends it the master); then finish(). 0 when the
  // window closed with OK, else 1.
  int run_window(const WindowRequest& request);
  // "orvadw --options": the options window alone over the current
  // configuration, with a link of its own for Autosearch; then finish().
  int run_options();
  // Saves the last folder and destroys the main window. Runs once.
  void finish();

  // Stops the program from outside (a termination signal): the running
  // window closes and run() (or run_window, run_options) returns through its
  // normal end. A termination signal is caught from start() until this
  // object goes; one that came before a window ran keeps that window from
  // opening at all; one that meets a transfer ends the program right after
  // it.
  void request_quit();

  const QStringList& arguments() const { return arguments_; }

 private:
  QStringList arguments_;
  bool simulator_wanted_ = false;
  std::unique_ptr<BuiltinSimulator> simulator_;
  std::unique_ptr<MainWindow> window_;
  void arm_termination();

  std::unique_ptr<TerminationSignal> termination_;
  // Runs window modally as the program's own window, unless a stop request
  // came first (then Rejected without showing it).
  int exec_running(QDialog& window);
  static constexpr int kQuitRetryMs = 100;

  // The window whose loop is the program's now.
  QPointer<QDialog> running_;
  bool quit_requested_ = false;
  bool main_window_told_ = false;
  bool finished_ = false;
};

}  // namespace orvadw
