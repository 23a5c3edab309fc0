// orvadw-cli config: reads or writes one key of a configuration file, as the
// windows do through the settings store.
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "base/c_locale.h"
#include "base/ini_file.h"
#include "cli/cli_command.h"
#include "files/settings_store.h"

namespace orvadw::cli {

namespace {

constexpr const char* kUsage =
    "config [--file PATH] [--number] get SECTION KEY | set SECTION KEY VALUE";

int run_config(CliContext& context) {
  std::vector<std::string> args = context.args;
  std::string path;
  bool has_file = false;
  if (!take_text_option(args, "--file", path, has_file, context.err)) return 2;
  if (!has_file && context.options.config) path = *context.options.config;
  bool number = take_flag(args, "--number");
  if (path.empty()) {
    context.err << "orvadw-cli: config needs --file PATH (or the global --config FILE)\n";
    return bad_usage(context.err, kUsage);
  }
  if (args.empty()) return bad_usage(context.err, kUsage);

  SettingsStore store(path);
  const std::string& action = args[0];
  if (action == "get" && args.size() == 3) {
    const std::string& section = args[1];
    const std::string& key = args[2];
    if (number) {
      context.out << c_format("%f", store.read_number(section, key, 0)) << "\n";
      return 0;
    }
    auto value = IniFile(path).read(section, key);
    if (!value) {
      context.err << "orvadw-cli: no key \"" << key << "\" in section [" << section << "] of " << path
                  << "\n";
      return 1;
    }
    context.out << *value << "\n";
    return 0;
  }
  if (action == "set" && args.size() == 4) {
    const std::string& section = args[1];
    const std::string& key = args[2];
    const std::string& text = args[3];
    int result = 0;
    if (number) {
      std::size_t used = 0;
      double value = c_strtod(text, &used);
      if (text.empty() || used != text.size() || !std::isfinite(value)) {
        context.err << "orvadw-cli: not a number: " << text << "\n";
        return 2;
      }
      result = store.write_number(section, key, value);
    } else {
      result = store.write_text(section, key, text);
    }
    if (result != 0) {
      context.err << "orvadw-cli: cannot write [" << section << "] " << key << " to " << path << "\n";
      return 1;
    }
    return 0;
  }
  return bad_usage(context.err, kUsage);
}

CliCommandRegistration reg{{"config", kUsage,
                            "Prints or writes one key of a configuration file (--number: as a "
                            "number with six decimals); a missing text key exits with 1.",
                            run_config}};

}  // namespace

}  // namespace orvadw::cli
