#include "app/placeholder_main_window.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "base/program_identity.h"
#include "dialogs/modem_dialog.h"
#include "files/configuration.h"

namespace orvadw {

PlaceholderMainWindow::PlaceholderMainWindow(QWidget* parent) : DialogRoot(kTemplateId, parent) {
  if (layout() == nullptr) {
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(program_title(), this);
    label_->setAlignment(Qt::AlignCenter);
    label_->setMinimumSize(360, 160);
    layout->addWidget(label_);
  }
  set_custom_title(program_title());
  set_document_name(configuration_name(Configuration::instance().configuration_path()));
  // With the modem in use, the first connect of any window dials first.
  install_modem_connect_hook(master_, this);
}

PlaceholderMainWindow::~PlaceholderMainWindow() {
  // The line is closed with the window that owns the master.
  master_.stop_polling();
  master_.disconnect();
}

QString PlaceholderMainWindow::program_title() {
  const std::string version = file_version();
  const QString tail =
      QString::fromStdString(version.size() > 2 ? version.substr(2) : std::string()).trimmed().toLower();
  return QString::fromStdString(internal_name()) + tail;
}

QString PlaceholderMainWindow::configuration_name(const std::string& configuration_path) {
  return QFileInfo(QString::fromStdString(configuration_path)).completeBaseName();
}

void PlaceholderMainWindow::keyPressEvent(QKeyEvent* event) {
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

}  // namespace orvadw
