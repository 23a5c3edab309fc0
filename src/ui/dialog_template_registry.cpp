#include "ui/dialog_template_registry.h"

#include <QHash>
#include <QWidget>
#include <mutex>

#include "ui_template_127.h"

namespace orvadw {

namespace {

template <typename Form>
void build(QWidget* target) {
  Form form;  // uic's member pointers are not kept: controls are found by name
  form.setupUi(target);
}

struct Registry {
  std::mutex mutex;
  QHash<int, DialogTemplateRegistry::Builder> builders;

  Registry() { builders.insert(kPleaseWaitTemplate, &build<Ui::Template127>); }
};

Registry& registry() {
  static Registry instance;
  return instance;
}

}  // namespace

void DialogTemplateRegistry::add(int template_id, Builder builder) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.builders.insert(template_id, std::move(builder));
}

bool DialogTemplateRegistry::contains(int template_id) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  return r.builders.contains(template_id);
}

bool DialogTemplateRegistry::apply(int template_id, QWidget* target) {
  if (target == nullptr) return false;
  Builder builder;
  {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto found = r.builders.constFind(template_id);
    if (found == r.builders.constEnd()) return false;
    builder = found.value();
  }
  builder(target);
  return true;
}

QString control_name(int control_id) { return QStringLiteral("c%1").arg(control_id); }

QWidget* find_control(const QWidget* parent, int control_id) {
  if (parent == nullptr) return nullptr;
  return parent->findChild<QWidget*>(control_name(control_id));
}

}  // namespace orvadw
