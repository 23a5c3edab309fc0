#include "dialogs/option_file_commands.h"

#include <QDialog>

#include "dialogs/about_box.h"
#include "dialogs/options_dialog.h"
#include "files/configuration.h"
#include "files/option_file.h"
#include "files/save_path.h"
#include "link/port_map.h"
#include "ui/dialog_root.h"
#include "ui/file_dialog_service.h"
#include "ui/message_service.h"

namespace orvadw {

namespace {

constexpr int kErrorTextId = 74;

// "Config File (*.OrvadW10)|*.OrvadW10||", opening in the program folder.
FileDialogService::Request configuration_request(const Configuration& configuration) {
  const QString extension = QString::fromStdString(configuration.configuration_extension());
  FileDialogService::Request request;
  request.folder = QString::fromStdString(configuration.program_folder());
  request.filter =
      QStringLiteral("Config File (*.%1)|*.%1||").arg(extension);
  request.default_extension = extension;
  return request;
}

void show_configuration_name(DialogRoot& owner) {
  owner.set_document_name(
      configuration_document_name(Configuration::instance().configuration_path()));
}

}  // namespace

QString configuration_document_name(const std::string& configuration_path) {
  const std::size_t slash = configuration_path.rfind('/');
  const std::size_t dot = configuration_path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return QString::fromStdString(configuration_path);
  }
  return QString::fromStdString(configuration_path.substr(0, dot));
}

bool run_options_dialog(JBusMaster* master, DialogRoot& owner) {
  OptionsDialog options(master, &owner);
  return options.exec() == QDialog::Accepted;
}

bool save_option_file_as(DialogRoot& owner) {
  Configuration& configuration = Configuration::instance();
  const FileDialogService::Request request = configuration_request(configuration);
  const std::optional<std::string> path = choose_save_path(
      configuration.configuration_extension(), owner.language(),
      [&] { return owner.ask_save_file(request); },
      [&](const std::string& question) { return owner.confirm_replace(question); });
  if (!path) return false;
  const int outcome = save_configuration_as(configuration, *path);
  if (outcome != 0) owner.show_error(outcome, kErrorTextId);
  // Except when nothing could be done, the current file may have changed.
  if (outcome != kSameFileTextId && outcome != kCannotOpenDestinationTextId) {
    show_configuration_name(owner);
  }
  return outcome == 0;
}

bool load_option_file(DialogRoot& owner) {
  Configuration& configuration = Configuration::instance();
  const std::optional<QString> chosen =
      FileDialogService::current().open_path(&owner, configuration_request(configuration));
  if (!chosen || chosen->isEmpty()) return false;
  load_configuration_file(configuration, chosen->toStdString());
  // Which device is COM<n> comes from the current configuration.
  PortMap::instance().load(configuration.configuration_path());
  show_configuration_name(owner);
  return true;
}

void show_about_box(DialogRoot& owner) {
  AboutBox about(&owner);
  about.exec();
  show_configuration_name(owner);
}

}  // namespace orvadw
