#pragma once
// --window W PATH [--language L]: the command line of the commands that work
// on a settings-family window's data files (save, load, transfer, diff).
#include <iosfwd>
#include <string>
#include <vector>

namespace orvadw::cli {

// Which windows a command takes and how many paths follow.
struct SavedWindowSyntax {
  std::vector<std::string> windows;
  std::string paths = "PATH";  // as the usage line names them
  std::size_t min_paths = 1;
  std::size_t max_paths = 1;
};

// The windows that save their data to a file and load it back.
SavedWindowSyntax saved_window_syntax();
// The windows whose data go back to the instrument.
SavedWindowSyntax transfer_window_syntax();

struct SavedWindowOptions {
  std::string key;                 // the window
  int language = 0;                // 1 to the table's language count
  std::string path;                // the first path
  std::vector<std::string> paths;  // every path, in order
};

// The command line of command for the usage lines:
// "<command> --window settings|special|analog|esc PATH [--language 1-4, default 2 English]".
std::string saved_window_usage(const std::string& command,
                               const SavedWindowSyntax& syntax = saved_window_syntax());

// Takes the options and the paths out of args; false with a message and the
// usage line of command when anything is missing, unknown or left over.
// Options of the command's own must be taken out before.
bool take_saved_window_options(std::vector<std::string>& args, const std::string& command,
                               SavedWindowOptions& options, std::ostream& err,
                               const SavedWindowSyntax& syntax = saved_window_syntax());

}  // namespace orvadw::cli
