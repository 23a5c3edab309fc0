#pragma once
// Dialog templates by id. A template is a Designer form whose controls are
// found by object name ("c<control id>"); applying it builds the form into a
// dialog or a tab page. Forms compiled into this library are registered on
// first use; other layers add theirs with add().
#include <QString>
#include <functional>

class QWidget;

namespace orvadw {

// Control ids of the please-wait window (template 127).
inline constexpr int kPleaseWaitTemplate = 127;
inline constexpr int kPleaseWaitTextControl = 1240;
inline constexpr int kPleaseWaitProgressControl = 1241;

class DialogTemplateRegistry {
 public:
  using Builder = std::function<void(QWidget* target)>;

  // Registers (or replaces) the builder of a template id.
  static void add(int template_id, Builder builder);
  static bool contains(int template_id);
  // Builds the template into target; false when the id is unknown or there
  // is no target.
  static bool apply(int template_id, QWidget* target);
};

// The object name of a template control: "c" and the control id.
QString control_name(int control_id);
// The control of that id under parent (searched recursively), or nullptr.
QWidget* find_control(const QWidget* parent, int control_id);

}  // namespace orvadw
