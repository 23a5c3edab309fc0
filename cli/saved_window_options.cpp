#include "cli/saved_window_options.h"

#include <ostream>

#include "base/text_table.h"
#include "cli/arguments.h"

namespace orvadw::cli {

namespace {

bool is_saved_window(const std::string& key) {
  for (const char* k : {"settings", "special", "analog", "esc"}) {
    if (key == k) return true;
  }
  return false;
}

}  // namespace

bool take_saved_window_options(std::vector<std::string>& args, const std::string& command,
                               SavedWindowOptions& options, std::ostream& err) {
  const std::string usage = "usage: orvadw-cli " + command +
                            " --window settings|special|analog|esc PATH [--language 1-4]\n";
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
