#pragma once
// --window W PATH [--language L]: the command line of the commands that move
// a settings-family window's data file (save and load).
#include <iosfwd>
#include <string>
#include <vector>

namespace orvadw::cli {

struct SavedWindowOptions {
  std::string key;   // settings, special, analog or esc
  int language = 0;  // 1 to the table's language count
  std::string path;  // the data file
};

// The command line of command for the usage lines:
// "<command> --window settings|special|analog|esc PATH [--language 1-4, default 2 English]".
std::string saved_window_usage(const std::string& command);

// Takes the options and the path out of args; false with a message and the
// usage line of command when anything is missing, unknown or left over.
bool take_saved_window_options(std::vector<std::string>& args, const std::string& command,
                               SavedWindowOptions& options, std::ostream& err);

}  // namespace orvadw::cli
