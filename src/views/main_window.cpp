#include "views/main_window.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>

#include "base/program_identity.h"
#include "base/text_table.h"
#include "dialogs/frame_monitor.h"
#include "dialogs/initialization_dialog.h"
#include "dialogs/modem_dialog.h"
#include "dialogs/option_file_commands.h"
#include "dialogs/program_picture.h"
#include "dialogs/start_logo.h"
#include "files/configuration.h"
#include "files/file_error.h"
#include "files/file_kind.h"
#include "files/main_window_files.h"
#include "files/save_path.h"
#include "ui/dialog_template_registry.h"
#include "ui/file_dialog_service.h"
#include "ui/menu_builder.h"
#include "ui/message_service.h"
#include "ui/named_event.h"
#include "ui/named_message_registry.h"
#include "ui_template_128.h"
#include "views/window_catalog.h"

namespace orvadw {

namespace {

constexpr int kModeFromInstrument = 1;
constexpr int kModeNew = 2;
constexpr int kModeFromFile = 4;
constexpr int kModeReadAndSave = 65;
constexpr int kModeReadAndPrint = 129;

// The commands that open one window in one mode.
struct WindowCommand {
  const char* message;
  std::string_view window;
  int mode;
};

constexpr WindowCommand kWindowCommands[] = {
    {msg::kMenuNewSettings, window_name::kSettings, kModeNew},
    {msg::kMenuNewOutputSettings, window_name::kAnalog, kModeNew},
    {msg::kMenuNewSpecialSettings, window_name::kSpecial, kModeNew},
    {msg::kMenuMeasurement, window_name::kMeasurement, kModeFromInstrument},
    {msg::kMenuSettings, window_name::kSettings, kModeFromInstrument},
    {msg::kMenuLogger, window_name::kLogger, kModeFromInstrument},
    {msg::kMenuOutputSettings, window_name::kAnalog, kModeFromInstrument},
    {msg::kMenuEsc, window_name::kEsc, kModeFromInstrument},
    {msg::kMenuSpecialSettings, window_name::kSpecial, kModeFromInstrument},
};

// The other commands.
struct Command {
  const char* message;
  void (*run)(MainWindow& window);
};

const Command kCommands[] = {
    {msg::kMenuOpen, [](MainWindow& w) { w.open_file(); }},
    {msg::kMenuInitialization, [](MainWindow& w) { w.run_initialization(); }},
    {msg::kMenuSaveAll, [](MainWindow& w) { w.save_all(); }},
    {msg::kMenuPrintAll, [](MainWindow& w) { w.print_all(); }},
    {msg::kMenuOptions, [](MainWindow& w) { w.run_options(); }},
    {msg::kMenuSaveOptions, [](MainWindow& w) { w.save_option_file(); }},
    {msg::kMenuLoadOptions, [](MainWindow& w) { w.load_option_file(); }},
    {msg::kMenuAbout, [](MainWindow& w) { w.run_about(); }},
    {msg::kMenuExit, [](MainWindow& w) { w.close(); }},
    {msg::kMenuModemConnect, [](MainWindow& w) { w.modem_connect(); }},
    {msg::kMenuModemDisconnect, [](MainWindow& w) { w.modem_disconnect(); }},
    {msg::kMenuFrameMonitor, [](MainWindow& w) { w.show_frame_monitor(); }},
};

// The three parameter windows Save all and Print all run, in their order.
constexpr std::string_view kParameterWindows[] = {window_name::kSettings, window_name::kAnalog,
                                                  window_name::kSpecial};

int form_template() {
  static const bool registered = [] {
    DialogTemplateRegistry::add(MainWindow::kTemplateId, [](QWidget* target) {
      Ui::Template128 form;
      form.setupUi(target);
    });
    return true;
  }();
  (void)registered;
  return MainWindow::kTemplateId;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : DialogRoot(form_template(), parent) {
  menu_bar_ = new QMenuBar(this);
  menu_bar_->setNativeMenuBar(false);
  if (layout() != nullptr) layout()->setMenuBar(menu_bar_);
  setWindowIcon(QIcon(program_picture(QSize(64, 64))));
  show_picture();
  show_title();
  build_menu();
  // With the modem in use, the first connect of any window dials first.
  install_modem_connect_hook(master_, this);
}

MainWindow::~MainWindow() {
  // The monitor watches the master: it goes first.
  monitor_.reset();
  // The line is closed with the window that owns the master.
  master_.stop_polling();
  master_.disconnect();
}

QString MainWindow::program_title() {
  const std::string version = file_version();
  const QString tail = QString::fromStdString(version.size() > 2 ? version.substr(2) : std::string())
                           .trimmed()
                           .toLower();
  return QString::fromStdString(internal_name()) + tail;
}

QString MainWindow::configuration_name(const std::string& configuration_path) {
  return QFileInfo(QString::fromStdString(configuration_path)).completeBaseName();
}

void MainWindow::show_picture() {
  auto* picture = findChild<QLabel*>(QStringLiteral("picture"));
  if (picture == nullptr) return;
  const Configuration& configuration = Configuration::instance();
  const QImage logo =
      configuration.logo_available() ? load_start_logo(configuration.program_folder()) : QImage();
  if (!logo.isNull()) {
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(QPixmap::fromImage(logo));
  } else {
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(program_picture(QSize(160, 160)));
  }
}

void MainWindow::show_title() {
  set_custom_title(program_title());
  set_document_name(configuration_name(Configuration::instance().configuration_path()));
  set_title_suffix(simulated_ ? text_of(own_text::kSimulatedSuffix) : QString());
}

void MainWindow::set_simulated_instrument(bool simulated) {
  simulated_ = simulated;
  show_title();
}

void MainWindow::build_menu() {
  const Configuration& configuration = Configuration::instance();
  const bool use_modem = configuration.use_modem();
  const bool connected = use_modem && configuration.modem_connected();
  // A window the program does not have yet keeps its place, grayed.
  const bool has_esc = find_window_factory(window_name::kEsc) != nullptr;

  MenuBuilder menu(this, menu_bar_, language());
  menu.add_item(140, msg::kMenuOpen);
  menu.add_separator();
  menu.add_sub_item(141, msg::kMenuNewSettings);
  menu.add_sub_separator();
  menu.add_sub_item(144, msg::kMenuNewOutputSettings);
  menu.add_sub_separator();
  menu.add_sub_item(145, msg::kMenuNewSpecialSettings);
  menu.add_item(135, nullptr);
  menu.add_separator();
  menu.add_item(143, msg::kMenuExit);
  menu.close_popup(125);

  menu.add_item(131, msg::kMenuMeasurement);
  menu.add_separator();
  menu.add_item(141, msg::kMenuSettings);
  menu.add_separator();
  menu.add_item(129, msg::kMenuLogger);
  menu.add_separator();
  menu.add_item(144, msg::kMenuOutputSettings);
  menu.add_separator();
  menu.add_item(123, msg::kMenuEsc, !has_esc);
  menu.add_separator();
  menu.add_item(145, msg::kMenuSpecialSettings);
  menu.add_separator();
  menu.add_item(127, msg::kMenuInitialization);
  menu.add_item(126, msg::kMenuPrintAll);
  menu.add_separator();
  menu.add_item(147, msg::kMenuSaveAll);
  menu.close_popup(121);

  if (use_modem) {
    if (connected) {
      menu.add_item(120, msg::kMenuModemDisconnect);
      menu.close_popup(132);
    } else {
      menu.add_item(118, msg::kMenuModemConnect);
      menu.close_popup(133);
    }
  }

  // The configuration holds the modem's settings: it stays as it is while a
  // call is up.
  menu.add_item(117, msg::kMenuOptions, connected);
  menu.add_separator();
  menu.add_item(148, msg::kMenuSaveOptions, connected);
  menu.add_item(128, msg::kMenuLoadOptions, connected);
  menu.add_separator();
  menu.add_item(own_text::kFrameMonitorMenu, msg::kMenuFrameMonitor);
  menu.close_popup(117);

  menu.add_item(113, msg::kMenuAbout);
  menu.close_popup(113);
}

bool MainWindow::event(QEvent* event) {
  if (const NamedEvent* named = NamedEvent::as(event)) {
    const QString name = named->name();
    for (const WindowCommand& command : kWindowCommands) {
      if (name == QLatin1String(command.message)) {
        run_window(command.window, command.mode);
        return true;
      }
    }
    for (const Command& command : kCommands) {
      if (name == QLatin1String(command.message)) {
        command.run(*this);
        return true;
      }
    }
  }
  if (event->type() == QEvent::WindowActivate && QApplication::activePopupWidget() == nullptr) {
    build_menu();
  }
  return DialogRoot::event(event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      // Escape ends the program here, as Exit does.
      event->accept();
      close();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->accept();
      return;
    default:
      DialogRoot::keyPressEvent(event);
  }
}

int MainWindow::run_window(std::string_view name, int start_mode, const std::string& file) {
  const WindowFactory* factory = find_window_factory(name);
  if (factory == nullptr) return QDialog::Rejected;
  std::unique_ptr<QDialog> window = factory->make(&master_, start_mode, this, file);
  // Modal to this window only: the frame monitor beside it stays usable.
  window->setWindowModality(Qt::WindowModal);
  return window->exec();
}

void MainWindow::open_file() {
  const std::vector<int> kinds = window_file_kinds();
  FileDialogService::Request request;
  request.folder = QString::fromStdString(Configuration::instance().last_folder());
  request.filter = QString::fromStdString(open_filter(language(), kinds));
  const std::optional<QString> chosen = FileDialogService::current().open_path(this, request);
  if (!chosen || chosen->isEmpty()) return;
  open_path(chosen->toStdString());
}

int MainWindow::open_path(const std::string& path) {
  const int kind = open_kind_for(path, window_file_kinds(), language());
  const WindowFactory* factory = find_window_for_file_kind(kind);
  if (factory == nullptr) return QDialog::Rejected;
  Configuration::instance().set_last_folder(folder_of(path));
  return run_window(factory->name, kModeFromFile, path);
}

int MainWindow::save_all() {
  std::vector<std::string> extensions;
  for (std::string_view name : kParameterWindows) {
    const WindowFactory* factory = find_window_factory(name);
    FileKind kind;
    if (factory == nullptr || file_kind_from_text_id(factory->file_kind, language(), kind) != 0) {
      return 0;
    }
    extensions.push_back(kind.extension);
  }
  FileDialogService::Request request;
  request.folder = QString::fromStdString(Configuration::instance().last_folder());
  request.filter = QString::fromStdString(save_all_filter(language(), extensions));
  const auto paths = choose_save_all_paths(
      extensions, language(), [&] { return ask_save_file(request); },
      [&](const std::string& question) { return confirm_replace(question); });
  if (!paths) return 0;
  Configuration::instance().set_last_folder(folder_of(paths->front()));
  int written = 0;
  for (std::size_t i = 0; i < paths->size(); ++i) {
    if (run_window(kParameterWindows[i], kModeReadAndSave, (*paths)[i]) != QDialog::Accepted) break;
    ++written;
  }
  return written;
}

int MainWindow::print_all() {
  int printed = 0;
  for (std::string_view name : kParameterWindows) {
    if (run_window(name, kModeReadAndPrint) != QDialog::Accepted) break;
    ++printed;
  }
  return printed;
}

void MainWindow::follow_current_configuration() {
  const std::string& path = Configuration::instance().configuration_path();
  follow_configuration(path);
  show_title();
  build_menu();
  if (monitor_) {
    monitor_->follow_configuration(path);
    monitor_->show_texts();
  }
  if (configuration_listener_) configuration_listener_();
}

void MainWindow::run_options() {
  run_options_dialog(&master_, *this);
  follow_current_configuration();
}

void MainWindow::save_option_file() {
  save_option_file_as(*this);
  follow_current_configuration();
}

void MainWindow::load_option_file() {
  if (orvadw::load_option_file(*this)) follow_current_configuration();
}

void MainWindow::run_about() {
  show_about_box(*this);
  show_title();
}

void MainWindow::run_initialization() {
  InitializationDialog initialization(&master_, this);
  initialization.setWindowModality(Qt::WindowModal);
  initialization.exec();
}

void MainWindow::modem_connect() {
  Configuration& configuration = Configuration::instance();
  if (!configuration.use_modem()) return;
  if (!configuration.modem_connected()) {
    ModemDialog dialog(&master_, this, ModemDialog::kConnectMode);
    dialog.setWindowModality(Qt::WindowModal);
    configuration.set_modem_connected(dialog.exec() == QDialog::Accepted);
  }
  build_menu();
}

void MainWindow::modem_disconnect() {
  Configuration& configuration = Configuration::instance();
  if (!configuration.use_modem()) return;
  if (configuration.modem_connected()) {
    ModemDialog dialog(&master_, this, ModemDialog::kHangUpMode);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.exec();
    configuration.set_modem_connected(false);
    master_.disconnect();
  }
  build_menu();
}

void MainWindow::show_frame_monitor() {
  if (!monitor_) {
    // A window of its own, not a child: the windows the commands run are
    // modal to this one only, so the monitor stays usable beside them.
    monitor_ = std::make_unique<FrameMonitor>(master_, nullptr);
  }
  monitor_->follow_configuration(Configuration::instance().configuration_path());
  monitor_->show_texts();
  monitor_->start();
  monitor_->show();
  monitor_->raise();
  monitor_->activateWindow();
}

void MainWindow::done(int result) {
  // A call still up is hung up before the program ends.
  if (!ending_ && Configuration::instance().use_modem() &&
      Configuration::instance().modem_connected()) {
    ending_ = true;
    modem_disconnect();
  }
  if (monitor_) monitor_->close();
  DialogRoot::done(result);
}

}  // namespace orvadw
