#include "ui/file_dialog_service.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "ui/visible_owner.h"

namespace orvadw {

namespace {

// The real dialogs: modal, in the requested folder, no overwrite prompt of
// their own and no read-only box.
class PlatformFileDialogService : public FileDialogService {
 public:
  std::optional<QString> save_path(QWidget* parent, const Request& request) override {
    return run(parent, request, QFileDialog::AcceptSave);
  }
  std::optional<QString> open_path(QWidget* parent, const Request& request) override {
    return run(parent, request, QFileDialog::AcceptOpen);
  }

 private:
  static std::optional<QString> run(QWidget* parent, const Request& request,
                                    QFileDialog::AcceptMode mode) {
    QFileDialog dialog(visible_owner(parent));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    // A folder that has gone (another machine's configuration) opens at home.
    const QString folder = !request.folder.isEmpty() && QFileInfo(request.folder).isDir()
                               ? request.folder
                               : QDir::homePath();
    dialog.setDirectory(folder);
    const QStringList filters = name_filters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!request.default_extension.isEmpty()) dialog.setDefaultSuffix(request.default_extension);
    if (!request.default_name.isEmpty()) dialog.selectFile(request.default_name);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
    return chosen.front();
  }
};

FileDialogService* installed = nullptr;

}  // namespace

FileDialogService::~FileDialogService() = default;

FileDialogService& FileDialogService::current() {
  static PlatformFileDialogService platform;
  return installed != nullptr ? *installed : platform;
}

void FileDialogService::install(FileDialogService* service) { installed = service; }

ScopedFileDialogService::ScopedFileDialogService(FileDialogService* service)
    : previous_(installed) {
  installed = service;
}

ScopedFileDialogService::~ScopedFileDialogService() { installed = previous_; }

QStringList name_filters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList result;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    const QString patterns_text = parts[i + 1].trimmed();
    if (description.isEmpty() && patterns_text.isEmpty()) continue;
    QStringList patterns;
    for (const QString& p : patterns_text.split(QLatin1Char(';'))) {
      if (!p.trimmed().isEmpty()) patterns << p.trimmed();
    }
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    // Qt reads the patterns from the last parenthesis: keep only ours there.
    if (description.endsWith(QLatin1Char(')'))) {
      const int open = description.lastIndexOf(QLatin1Char('('));
      if (open >= 0) description = description.left(open).trimmed();
    }
    result << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
  }
  return result;
}

}  // namespace orvadw
