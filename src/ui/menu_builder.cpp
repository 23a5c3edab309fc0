#include "ui/menu_builder.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "base/text_table.h"
#include "ui/named_event.h"

namespace orvadw {

namespace {

constexpr const char* kCommandProperty = "orvadw_command";

}  // namespace

MenuBuilder::MenuBuilder(QWidget* window, QMenuBar* bar, int language)
    : window_(window), bar_(bar) {
  // A language the table does not have keeps the builder's own.
  if (language >= 1 && language <= TextTable::language_count()) language_ = language;
  if (bar_ == nullptr) return;
  // The popups go once control is back in the event loop: the rebuild may
  // come while one of them is still delivering its last event.
  for (QAction* action : bar_->actions()) {
    if (QMenu* menu = action->menu(); menu != nullptr && menu->parent() == bar_) {
      menu->deleteLater();
    }
  }
  bar_->clear();
}

MenuBuilder::~MenuBuilder() {
  // Popups left open belong to nobody: they are not shown.
  delete sub_popup_;
  delete popup_;
}

QString MenuBuilder::text(int text_id) const {
  return QString::fromStdString(text_of(text_id, language_));
}

QMenu* MenuBuilder::popup() {
  if (popup_ == nullptr) popup_ = new QMenu;
  return popup_;
}

QMenu* MenuBuilder::sub_popup() {
  if (sub_popup_ == nullptr) sub_popup_ = new QMenu;
  return sub_popup_;
}

void MenuBuilder::add_command(QMenu* menu, int text_id, const char* command, bool grayed) {
  QAction* action = menu->addAction(text(text_id));
  action->setEnabled(!grayed);
  if (command == nullptr) return;
  const QString name = QString::fromLatin1(command);
  action->setProperty(kCommandProperty, name);
  QPointer<QWidget> window = window_;
  QObject::connect(action, &QAction::triggered, action, [window, name] {
    if (window) post_named(window.data(), name, 0, 0);
  });
}

void MenuBuilder::add_item(int text_id, const char* command, bool grayed) {
  if (sub_popup_ != nullptr) {
    QMenu* sub = sub_popup_;
    sub_popup_ = nullptr;
    sub->setTitle(text(text_id));
    sub->setParent(popup(), sub->windowFlags());
    popup()->addMenu(sub);
    return;
  }
  add_command(popup(), text_id, command, grayed);
}

void MenuBuilder::add_sub_item(int text_id, const char* command, bool grayed) {
  add_command(sub_popup(), text_id, command, grayed);
}

void MenuBuilder::add_separator() { popup()->addSeparator(); }

void MenuBuilder::add_sub_separator() { sub_popup()->addSeparator(); }

void MenuBuilder::close_popup(int text_id) {
  if (popup_ == nullptr) return;
  QMenu* menu = popup_;
  popup_ = nullptr;
  menu->setTitle(text(text_id));
  if (bar_ == nullptr) {
    delete menu;
    return;
  }
  menu->setParent(bar_, menu->windowFlags());
  bar_->addMenu(menu);
}

QString MenuBuilder::command_of(const QAction* action) {
  return action != nullptr ? action->property(kCommandProperty).toString() : QString();
}

}  // namespace orvadw
