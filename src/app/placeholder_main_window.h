#pragma once
// The program's top-level window until the menu window takes its place: it
// shows the program title with the current configuration's name, owns the
// program's one master (lent to every instrument window) and ends the
// program when it is closed, by its close box or by Escape.
#include <QString>

#include "link/jbus_master.h"
#include "ui/dialog_root.h"

class QKeyEvent;
class QLabel;

namespace orvadw {

class PlaceholderMainWindow : public DialogRoot {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 128;

  explicit PlaceholderMainWindow(QWidget* parent = nullptr);
  ~PlaceholderMainWindow() override;

  JBusMaster& master() { return master_; }

  // InternalName followed by FileVersion from its third character, trimmed
  // and in lower case: "OrvadW 10c".
  static QString program_title();
  // The current configuration file's name without its extension.
  static QString configuration_name(const std::string& configuration_path);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  JBusMaster master_;
  QLabel* label_ = nullptr;
};

}  // namespace orvadw
