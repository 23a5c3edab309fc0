#pragma once
// The language texts: every text the program shows comes from here, by text
// id and language index (1 French, 2 English, 3 Portuguese, 4 German). Texts
// are UTF-8 here; they become Windows-1252 only at the instrument and file
// edge.
#include <string>
#include <vector>

namespace orvadw {

inline constexpr int kFrench = 1;
inline constexpr int kEnglish = 2;
inline constexpr int kPortuguese = 3;
inline constexpr int kGerman = 4;

// Texts this program added beyond the product's table, looked up like the
// others (docs/translations.md lists them).
inline constexpr int kFirstOwnTextId = 1001;
namespace own_text {
inline constexpr int kFrameMonitorMenu = 1001;   // "&Frame Monitor"
inline constexpr int kFrameMonitorTitle = 1002;  // "Frame Monitor"
inline constexpr int kPause = 1003;
inline constexpr int kResume = 1004;
inline constexpr int kClear = 1005;
inline constexpr int kSave = 1006;               // "Save..."
inline constexpr int kTextFileKind = 1007;       // "Text File|txt", as the file kinds
inline constexpr int kSimulatedSuffix = 1008;    // " (simulated instrument)"
}  // namespace own_text

class TextTable {
 public:
  explicit TextTable(int language = kFrench);

  // Empties the result array, fills it by the lookup rules and returns it:
  // a language above 4 gives one empty string; an id that is neither in
  // 1..247 nor one of the program's own (or an unused id) gives an empty
  // list; otherwise the entry's strings in order.
  // A language below 1 (a damaged setting) gives an empty list.
  const std::vector<std::string>& lookup(int id, int language);

  // The first string of lookup(id, language()), or "" for an empty list.
  std::string text(int id);
  // The string at index, or "" when the index is not below the list length.
  std::string text(int id, int index);

  int language() const { return language_; }
  void set_language(int language) { language_ = language; }

  static int language_count() { return 4; }

 private:
  int language_;
  std::vector<std::string> result_;
};

// Stateless forms for code that has no table object of its own.
std::vector<std::string> text_list(int id, int language);
std::string text_of(int id, int language);
std::string text_of(int id, int index, int language);

// The ids of the table's rows in stored order (for checks of the table).
std::vector<int> text_table_ids();
// The ids of the program's own rows.
std::vector<int> own_text_ids();

}  // namespace orvadw
