#pragma once
// The platform's save and open dialogs go through this service so that tests
// and unattended runs can answer them, as message boxes do. Windows ask the
// installed service (the real dialogs unless a test installed another one).
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace orvadw {

class FileDialogService {
 public:
  struct Request {
    QString folder;             // where the dialog opens (the last folder)
    QString filter;             // "Setting File (*.eta)|*.eta|" (pairs of description and patterns)
    QString default_extension;  // without a dot; "" for none
    QString default_name;       // the file name proposed, "" for none
  };

  virtual ~FileDialogService();

  // The chosen path, or nothing when the user cancelled. The save dialog
  // never asks before replacing: the caller has its own question.
  virtual std::optional<QString> save_path(QWidget* parent, const Request& request) = 0;
  // An existing file, or nothing when the user cancelled.
  virtual std::optional<QString> open_path(QWidget* parent, const Request& request) = 0;

  // The service windows use: the installed one, else the real dialogs.
  static FileDialogService& current();
  // Installs a service for the whole program (not owned); nullptr returns to
  // the real dialogs.
  static void install(FileDialogService* service);
};

// Installs a service for one scope and puts the previous one back.
class ScopedFileDialogService {
 public:
  explicit ScopedFileDialogService(FileDialogService* service);
  ~ScopedFileDialogService();
  ScopedFileDialogService(const ScopedFileDialogService&) = delete;
  ScopedFileDialogService& operator=(const ScopedFileDialogService&) = delete;

 private:
  FileDialogService* previous_;
};

// The name filters of a "description|patterns|..." filter in the form the Qt
// dialogs take: "Setting File (*.eta)". Patterns separated by ";" become
// blank-separated; a description that already ends with its own parenthesis
// loses it so that the patterns are listed once.
QStringList name_filters(const QString& filter);

}  // namespace orvadw
