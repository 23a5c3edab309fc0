#include "ui/box_message_service.h"

#include <QMessageBox>

#include "ui/visible_owner.h"

namespace orvadw {

namespace {

QMessageBox::Icon box_icon(MessageService::Icon icon) {
  switch (icon) {
    case MessageService::Icon::Information: return QMessageBox::Information;
    case MessageService::Icon::Warning: return QMessageBox::Warning;
    case MessageService::Icon::Error: return QMessageBox::Critical;
    case MessageService::Icon::Question: return QMessageBox::Question;
    case MessageService::Icon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void BoxMessageService::show(QWidget* parent, const QString& text, const QString& caption,
                             Icon icon) {
  QMessageBox box(box_icon(icon), caption, text, QMessageBox::Ok, visible_owner(parent));
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

int BoxMessageService::ask(QWidget* parent, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                  visible_owner(parent));
  box.setWindowModality(Qt::ApplicationModal);
  return box.exec() == QMessageBox::Yes ? kYes : kNo;
}

}  // namespace orvadw
