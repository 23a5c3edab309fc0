#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include "base/text_table.h"

namespace orvadw {

namespace {

QPointer<QTranslator>& installed() {
  static QPointer<QTranslator> translator;
  return translator;
}

int& installed_language() {
  static int language = 0;
  return language;
}

// Debian ships Portuguese as Brazilian only.
const char* file_name(int language) {
  switch (language) {
    case kFrench:
      return "qtbase_fr";
    case kPortuguese:
      return "qtbase_pt_BR";
    case kGerman:
      return "qtbase_de";
    default:
      return nullptr;
  }
}

}  // namespace

bool use_qt_translations(int language) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return false;
  if (language == installed_language() && (installed() || file_name(language) == nullptr))
    return true;
  if (QTranslator* old = installed().data()) {
    QCoreApplication::removeTranslator(old);
    delete old;
  }
  installed_language() = 0;
  const char* name = file_name(language);
  if (name == nullptr) {
    installed_language() = language;
    return true;
  }
  auto* translator = new QTranslator(app);
  if (!translator->load(QString::fromLatin1(name),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  installed() = translator;
  installed_language() = language;
  return true;
}

int qt_translations_language() {
  return installed_language();
}

}  // namespace orvadw
