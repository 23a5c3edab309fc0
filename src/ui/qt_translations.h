#pragma once
// Qt's own texts (the Yes, No, Cancel and OK of standard buttons and
// boxes) in the language of the windows, from Qt's translation files
// (qtbase_<language>.qm). One set is installed at a time; the windows of
// one program run share a language.
namespace orvadw {

// Installs Qt's translations for the language index (1 French, 2 English,
// 3 Portuguese, 4 German) unless they already are; English needs none.
// False when the language's file could not be loaded (Qt's texts then stay
// English). Needs a running application.
bool use_qt_translations(int language);

// The language whose Qt translations are installed; 0 for none.
int qt_translations_language();

// Qt's texts in another language for as long as it lives (a question asked
// in the language just chosen, before the configuration holds it).
class ScopedQtTranslations {
 public:
  explicit ScopedQtTranslations(int language) : previous_(qt_translations_language()) {
    use_qt_translations(language);
  }
  ~ScopedQtTranslations() { use_qt_translations(previous_); }
  ScopedQtTranslations(const ScopedQtTranslations&) = delete;
  ScopedQtTranslations& operator=(const ScopedQtTranslations&) = delete;

 private:
  int previous_;
};

}  // namespace orvadw
