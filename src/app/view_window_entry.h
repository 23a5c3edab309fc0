#pragma once
// A test entry into the operating views without the menu:
//   orvadw [CONFIGURATION] --window measurement|logger [FILE]
// opens that view straight away on the program's master, from the
// instrument (mode 1) or from FILE (mode 4), and the program ends when the
// view closes (a termination signal closes it as Cancel would). One table
// row per view, so that other windows join with one line each.
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QDialog;

namespace orvadw {

class Application;
class JBusMaster;

struct ViewWindowRequest {
  std::string name;
  std::string file;  // empty: from the instrument
};

struct ViewWindowEntry {
  const char* name;
  std::function<std::unique_ptr<QDialog>(JBusMaster& master, int mode, const std::string& file)> make;
};

// The views this entry opens.
const std::vector<ViewWindowEntry>& view_window_entries();

// Takes "--window NAME [FILE]" out of the arguments (FILE is the word after
// NAME unless it is another option); nothing when there is no --window.
std::optional<ViewWindowRequest> take_view_window_request(QStringList& arguments);

// Runs the started application's view of that name modally. The exit code:
// 0 when the view was closed with OK, 1 without (Close, Escape, a
// termination signal), 2 for a name no view has (after a message on
// standard error).
int run_view_window(Application& application, const ViewWindowRequest& request);

}  // namespace orvadw
