#pragma once
// Puts a window's menu bar together from text ids in one language. Popups
// and one level of sub-popups are opened by their first item and closed
// under their text:
//
//   MenuBuilder menu(window, bar, language);
//   menu.add_sub_item(141, msg::kMenuNewSettings);
//   menu.add_item(135, nullptr);           // closes the sub-popup under "&New"
//   menu.add_separator();
//   menu.add_item(143, msg::kMenuExit);
//   menu.close_popup(125);                 // "&File" on the bar
//
// Every item is a command: choosing it posts the registered message of that
// name to the window, which handles it once the menu has closed (a command
// may rebuild the very menu it came from). The builder empties the bar when
// it starts and reuses it.
#include <QPointer>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace orvadw {

class MenuBuilder {
 public:
  MenuBuilder(QWidget* window, QMenuBar* bar, int language);
  ~MenuBuilder();
  MenuBuilder(const MenuBuilder&) = delete;
  MenuBuilder& operator=(const MenuBuilder&) = delete;

  int language() const { return language_; }

  // An item of the open popup (opened when none is). When a sub-popup is
  // open instead, it is put into the popup under the text and closed; the
  // command is then not used.
  void add_item(int text_id, const char* command, bool grayed = false);
  // An item of the open sub-popup (opened when none is).
  void add_sub_item(int text_id, const char* command, bool grayed = false);
  void add_separator();
  void add_sub_separator();
  // Puts the open popup on the bar under the text and closes it.
  void close_popup(int text_id);

  // The registered message name of an item's command ("" for none).
  static QString command_of(const QAction* action);

 private:
  QString text(int text_id) const;
  QMenu* popup();
  QMenu* sub_popup();
  void add_command(QMenu* menu, int text_id, const char* command, bool grayed);

  QPointer<QWidget> window_;
  QPointer<QMenuBar> bar_;
  int language_ = 1;
  QMenu* popup_ = nullptr;
  QMenu* sub_popup_ = nullptr;
};

}  // namespace orvadw
