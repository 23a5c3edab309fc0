#include "cli/saved_window_options.h"

#include <ostream>

#include "base/text_table.h"
#include "cli/arguments.h"

namespace orvadw::cli {

namespace {

// The windows that save their data to a file and load it back.
constexpr const char* kSavedWindows[] = {"settings", "special", "analog", "esc"};

bool is_saved_window(const std::string& key) {
  for (const char* k : kSavedWindows) {
    if (key == k) return true;
  }
  return false;
}

std::string saved_window_choice_text() {
  std::string out;
  for (const char* k : kSavedWindows) out += (out.empty() ? "" : "|") + std::string(k);
  return out;
}

}  // namespace

std::string saved_window_usage(const std::string& command) {
  return command + " --window " + saved_window_choice_text() +
         " PATH [--language 1-4, default 2 English]";
}

bool take_saved_window_options(std::vector<std::string>& args, const std::string& command,
                               SavedWindowOptions& options, std::ostream& err) {
  const std::string usage = "usage: orvadw-cli " + saved_window_usage(command) + "\n";
  std::string key;
  bool present = false;
  long long language = kEnglish;
  if (!take_option(args, "--window", key, present) || !present ||
      !take_integer_option(args, "--language", language, err)) {
    err << usage;
    return false;
  }
  if (!is_saved_window(key)) {
    err << "orvadw-cli " << command << ": unknown window " << key << "\n" << usage;
    return false;
  }
  if (language < 1 || language > TextTable::language_count()) {
    err << "orvadw-cli " << command << ": --language must be 1 to " << TextTable::language_count()
        << "\n"
        << usage;
    return false;
  }
  if (args.size() != 1 || args[0].empty()) {
    err << usage;
    return false;
  }
  options.key = key;
  options.language = static_cast<int>(language);
  options.path = args[0];
  return true;
}

}  // namespace orvadw::cli
