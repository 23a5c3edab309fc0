#include "support/test_templates.h"

#include "ui/dialog_template_registry.h"
#include "ui_template_9001.h"
#include "ui_template_9002.h"

namespace orvadw::test {

void register_test_templates() {
  DialogTemplateRegistry::add(kGalleryTemplate, [](QWidget* target) {
    Ui::Template9001 form;
    form.setupUi(target);
  });
  DialogTemplateRegistry::add(kPageTemplate, [](QWidget* target) {
    Ui::Template9002 form;
    form.setupUi(target);
  });
}

}  // namespace orvadw::test
