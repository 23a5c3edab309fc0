#include "cli/saved_window_options.h"

#include <algorithm>
#include <ostream>

#include "base/text_table.h"
#include "cli/arguments.h"

namespace orvadw::cli {

namespace {

std::string choice_text(const std::vector<std::string>& windows) {
  std::string out;
  for (const auto& k : windows) out += (out.empty() ? "" : "|") + k;
  return out;
}

}  // namespace

SavedWindowSyntax saved_window_syntax() {
  return {{"settings", "special", "analog", "esc"}};
}

SavedWindowSyntax transfer_window_syntax() {
  return {{"settings", "special", "analog"}};
}

std::string saved_window_usage(const std::string& command, const SavedWindowSyntax& syntax) {
  return command + " --window " + choice_text(syntax.windows) + " " + syntax.paths +
         " [--language 1-4, default 2 English]";
}

bool take_saved_window_options(std::vector<std::string>& args, const std::string& command,
                               SavedWindowOptions& options, std::ostream& err,
                               const SavedWindowSyntax& syntax) {
  const std::string usage = "usage: orvadw-cli " + saved_window_usage(command, syntax) + "\n";
  std::string key;
  bool present = false;
  long long language = kEnglish;
  if (!take_option(args, "--window", key, present) || !present ||
      !take_integer_option(args, "--language", language, err)) {
    err << usage;
    return false;
  }
  if (std::find(syntax.windows.begin(), syntax.windows.end(), key) == syntax.windows.end()) {
    err << "orvadw-cli " << command << ": unknown window " << key << "\n" << usage;
    return false;
  }
  if (language < 1 || language > TextTable::language_count()) {
    err << "orvadw-cli " << command << ": --language must be 1 to " << TextTable::language_count()
        << "\n"
        << usage;
    return false;
  }
  const bool empty_path =
      std::any_of(args.begin(), args.end(), [](const std::string& a) { return a.empty(); });
  const bool stray_option = std::any_of(args.begin(), args.end(),
                                        [](const std::string& a) { return a.rfind("--", 0) == 0; });
  if (args.size() < syntax.min_paths || args.size() > syntax.max_paths || empty_path ||
      stray_option) {
    if (stray_option) err << "orvadw-cli " << command << ": unknown option\n";
    err << usage;
    return false;
  }
  options.key = key;
  options.language = static_cast<int>(language);
  options.paths = args;
  options.path = args.front();
  return true;
}

}  // namespace orvadw::cli
