#include "cli/cli_command.h"

#include <limits>
#include <map>
#include <ostream>

#include "base/result_codes.h"

namespace orvadw::cli {

namespace {
std::map<std::string, CliCommand>& registry() {
  static std::map<std::string, CliCommand> table;
  return table;
}

void print_usage(std::ostream& out) {
  out << "usage: orvadw-cli [--port COM|DEVICE] [--baud-index I] [--jbus N] [--timeout MS]\n"
         "                  [--config FILE] [--trace] COMMAND [ARGS...]\n"
         "  --trace prints every frame sent (>), received (<) and thrown away (!) and\n"
         "  each attempt's verdict (=) on standard error, with milliseconds since start\n"
         "\ncommands:\n";
  for (const auto& c : commands()) {
    out << "  " << c.usage << "\n      " << c.summary << "\n";
  }
}
}  // namespace

CliCommandRegistration::CliCommandRegistration(CliCommand command) {
  std::string name = command.name;
  registry()[name] = std::move(command);
}

std::vector<CliCommand> commands() {
  std::vector<CliCommand> out;
  for (const auto& [name, c] : registry()) out.push_back(c);
  return out;
}

const CliCommand* find_command(const std::string& name) {
  auto it = registry().find(name);
  return it == registry().end() ? nullptr : &it->second;
}

int report_result(std::ostream& err, int code) {
  err << "error " << code << ": " << result_text(code) << "\n";
  return code == 0 ? 0 : 1;
}

int bad_usage(std::ostream& err, const std::string& usage) {
  err << "usage: orvadw-cli " << usage << "\n";
  return 2;
}

int run_cli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  GlobalOptions options;
  std::vector<std::string> rest;
  std::size_t i = 0;
  // Global options come before the command name.
  for (; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a.rfind("--", 0) != 0) break;
    if (a == "--help" || a == "-h") {
      print_usage(out);
      return 0;
    }
    if (a == "--trace") {
      options.trace = true;
      continue;
    }
    if (i + 1 >= arguments.size()) {
      err << "orvadw-cli: " << a << " needs a value\n";
      return 2;
    }
    const std::string& v = arguments[++i];
    long long n = 0;
    if (a == "--port") {
      options.port = v;
    } else if (a == "--config") {
      options.config = v;
    } else if (a == "--baud-index" || a == "--jbus" || a == "--timeout") {
      if (!parse_integer(v, n)) {
        err << "orvadw-cli: " << a << ": not a number: " << v << "\n";
        return 2;
      }
      // Never cut down to an int: 4294967298 would become slave 2.
      if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) {
        err << "orvadw-cli: " << a << ": out of range: " << v << "\n";
        return 2;
      }
      if (a == "--baud-index") options.baud_index = static_cast<int>(n);
      if (a == "--jbus") options.jbus = static_cast<int>(n);
      if (a == "--timeout") options.timeout_ms = static_cast<int>(n);
    } else {
      err << "orvadw-cli: unknown option " << a << "\n";
      return 2;
    }
  }
  if (i >= arguments.size()) {
    print_usage(err);
    return 2;
  }
  const CliCommand* command = find_command(arguments[i]);
  if (command == nullptr) {
    err << "orvadw-cli: unknown command " << arguments[i] << "\n";
    print_usage(err);
    return 2;
  }
  CliContext context{options, {arguments.begin() + static_cast<long>(i) + 1, arguments.end()}, out,
                     err};
  return command->run(context);
}

}  // namespace orvadw::cli
