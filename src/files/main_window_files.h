#pragma once
// The file choices of the main window's Open and Save all, without the
// dialogs: the filters they show, which window a chosen file opens, and the
// three files Save all writes under one chosen name.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvadw {

// The data-file kinds (text ids) in the order Open's filter lists them:
// settings, measurement, logger, analog output settings, ESC, special.
const std::vector<int>& open_filter_order();
// The order in which a chosen file's extension is matched: settings,
// measurement, analog output settings, ESC, special settings, logger.
const std::vector<int>& open_match_order();

// Open's filter over the kinds that can be opened (text ids; a kind left out
// is not offered): text 81 with every extension, then each kind's own entry,
// then "|". For all six kinds in English:
//   "File (*.eta, *.mes, *.log, *.sa, *.esc, *.rsp)|*.eta;*.mes;*.log; *.sa;
//    *.esc; *.rsp|Setting File (*.eta)|*.eta|...|"
std::string open_filter(int language, const std::vector<int>& kinds);

// The kind (text id) whose window opens path: the first of the match order
// among kinds whose extension is the path's (compared without regard to
// case, as files come from other systems too); -1 for a file of no known
// kind.
int open_kind_for(std::string_view path, const std::vector<int>& kinds, int language);

// Save all's filter: text 81, " (", the patterns joined by ";", ")|", each
// pattern followed by ";", "|".
std::string save_all_filter(int language, const std::vector<std::string>& extensions);

// The files Save all writes: the chosen name, ".", each extension in order.
// A chosen name that already ends with one of the extensions (a file picked
// in the dialog) loses it, so that "site1.eta" still gives site1.eta,
// site1.sa and site1.rsp.
std::vector<std::string> save_all_paths(std::string_view chosen,
                                        const std::vector<std::string>& extensions);

// The Save all dialog loop: ask_path shows the system dialog (nothing on
// cancel); when one of the files it leads to exists, confirm_replace is
// asked with the replace question for the first of them, and No shows the
// dialog again. The files to write, or nothing when the user cancelled.
std::optional<std::vector<std::string>> choose_save_all_paths(
    const std::vector<std::string>& extensions, int language,
    const std::function<std::optional<std::string>()>& ask_path,
    const std::function<bool(const std::string& question)>& confirm_replace);

}  // namespace orvadw
