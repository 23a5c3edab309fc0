#pragma once
// orvadw-cli: the program's operations without a display. Each command lives
// in its own file under commands/ and registers itself with one
// CliCommandRegistration object; main() only parses the global options and
// dispatches.
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"

namespace orvadw::cli {

struct GlobalOptions {
  std::optional<std::string> port;  // a COM number ("3") or a device path
  int baud_index = 5;               // index into the link's baud table
  int jbus = 1;                     // slave number
  int timeout_ms = 1000;            // answer time-out
  std::optional<std::string> config;  // configuration file (port map, settings)
  bool trace = false;               // every frame and verdict on standard error
};

struct CliContext {
  GlobalOptions options;
  std::vector<std::string> args;  // the words after the command name
  std::ostream& out;
  std::ostream& err;
};

struct CliCommand {
  std::string name;
  std::string usage;    // one line: "read ADDR COUNT [--function 3|4] ..."
  std::string summary;  // one sentence
  std::function<int(CliContext&)> run;  // exit status
};

// All registered commands, sorted by name.
std::vector<CliCommand> commands();
const CliCommand* find_command(const std::string& name);

class CliCommandRegistration {
 public:
  explicit CliCommandRegistration(CliCommand command);
};

// Runs the command line as orvadw-cli would (argv[0] excluded); used by main
// and by the tests.
int run_cli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// Writes "error <code>: <meaning>" to err and returns the exit status for it.
int report_result(std::ostream& err, int code);

// Writes "usage: orvadw-cli <usage>" to err and returns the exit status of a
// bad command line.
int bad_usage(std::ostream& err, const std::string& usage);

}  // namespace orvadw::cli
