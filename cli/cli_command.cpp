#include "cli/cli_command.h"

#include <algorithm>
#include <map>
#include <ostream>

#include "base/c_locale.h"
#include "base/result_codes.h"

namespace orvadw::cli {

namespace {
std::map<std::string, CliCommand>& registry() {
  static std::map<std::string, CliCommand> table;
  return table;
}

void print_usage(std::ostream& out) {
  out << "usage: orvadw-cli [--port COM|DEVICE] [--baud-index I] [--jbus N] [--timeout MS]\n"
         "                  [--config FILE] COMMAND [ARGS...]\n\ncommands:\n";
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

bool parse_integer(const std::string& text, long long& value) {
  if (text.empty()) return false;
  std::size_t used = 0;
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  value = hex ? c_strtoll(text.substr(2), 16, &used) : c_strtoll(text, 10, &used);
  std::size_t expected = hex ? text.size() - 2 : text.size();
  return used == expected && used > 0;
}

bool take_option(std::vector<std::string>& args, const std::string& name, std::string& value,
                 bool& present) {
  present = false;
  auto it = std::find(args.begin(), args.end(), name);
  if (it == args.end()) return true;
  present = true;
  if (it + 1 == args.end()) {
    args.erase(it);
    return false;
  }
  value = *(it + 1);
  args.erase(it, it + 2);
  return true;
}

bool take_integer_option(std::vector<std::string>& args, const std::string& name, long long& value,
                         std::ostream& err) {
  std::string text;
  bool present = false;
  if (!take_option(args, name, text, present)) {
    err << "orvadw-cli: " << name << " needs a value\n";
    return false;
  }
  if (!present) return true;
  if (!parse_integer(text, value)) {
    err << "orvadw-cli: " << name << ": not a number: " << text << "\n";
    return false;
  }
  return true;
}

bool take_flag(std::vector<std::string>& args, const std::string& name) {
  auto it = std::find(args.begin(), args.end(), name);
  if (it == args.end()) return false;
  args.erase(it);
  return true;
}

int report_result(std::ostream& err, int code) {
  err << "error " << code << ": " << result_text(code) << "\n";
  return code == 0 ? 0 : 1;
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
