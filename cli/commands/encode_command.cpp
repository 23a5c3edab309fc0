// orvadw-cli encode: the reverse of show. Reads "key = value" lines on
// standard input, sets those fields as a person typing would, and prints the
// block's bytes.
#include <algorithm>
#include <iostream>
#include <string>

#include "base/text_table.h"
#include "cli/cli_command.h"
#include "params/field_text_form.h"
#include "params/window_table.h"

namespace orvadw::cli {

namespace {

// --window, --block and --language; show takes the same options.
struct WindowBlockOptions {
  WindowTable window;
  int block = 0;
  int language = kEnglish;
};

std::string window_choice_text() {
  std::string out;
  for (const auto& key : window_keys()) out += (out.empty() ? "" : "|") + key;
  return out;
}

bool take_window_block_options(std::vector<std::string>& args, const char* command, WindowBlockOptions& options,
                               std::ostream& err) {
  std::string window;
  bool present = false;
  if (!take_option(args, "--window", window, present) || !present) {
    err << "orvadw-cli " << command << ": --window " << window_choice_text() << " is needed\n";
    return false;
  }
  long long block = -1;
  long long language = kEnglish;
  bool have_block = std::find(args.begin(), args.end(), "--block") != args.end();
  if (!take_integer_option(args, "--block", block, err) || !take_integer_option(args, "--language", language, err)) {
    return false;
  }
  if (!have_block || block < 0 || block > 0xFFFFFFFFLL) {
    err << "orvadw-cli " << command << ": --block ADDR is needed (a register address such as 0x1000)\n";
    return false;
  }
  if (language < 1 || language > TextTable::language_count()) {
    err << "orvadw-cli " << command << ": --language must be 1 to " << TextTable::language_count() << "\n";
    return false;
  }
  options.language = static_cast<int>(language);
  options.block = static_cast<int>(block);
  if (!find_window(window, options.language, options.window)) {
    err << "orvadw-cli " << command << ": unknown window " << window << " (" << window_choice_text() << ")\n";
    return false;
  }
  ParameterFieldList probe = make_field_list(options.window, options.language);
  if (probe.block_fields(options.block).empty()) {
    err << "orvadw-cli " << command << ": window " << window << " has no values in block " << block << "\n";
    return false;
  }
  return true;
}

int run_encode(CliContext& context) {
  WindowBlockOptions options;
  if (!take_window_block_options(context.args, "encode", options, context.err)) return 2;
  if (!context.args.empty()) {
    context.err << "orvadw-cli encode: unexpected argument " << context.args.front()
                << " (the values are read from standard input)\n";
    return 2;
  }
  std::vector<std::string> text;
  for (std::string line; std::getline(std::cin, line);) text.push_back(line);

  ParameterFieldList list = make_field_list(options.window, options.language);
  FieldTextForm::Error error;
  if (FieldTextForm::apply(list, options.block, text, error) != 0) {
    context.err << "orvadw-cli encode: line " << error.line_number << ": " << error.reason << ": " << error.line
                << "\n";
    return 1;
  }
  std::vector<std::uint8_t> bytes = list.encode(options.block);
  static const char* digits = "0123456789ABCDEF";
  std::string hex;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i) hex.push_back(' ');
    hex.push_back(digits[bytes[i] >> 4]);
    hex.push_back(digits[bytes[i] & 0x0F]);
  }
  context.out << hex << "\n";
  return 0;
}

CliCommandRegistration reg{{
    "encode",
    "encode --window " + window_choice_text() + " --block ADDR [--language 1-4, default 2 English] < LINES",
    "Reads \"key = value\" lines as show prints them, sets those values and prints the block's bytes.",
    run_encode,
}};

}  // namespace
}  // namespace orvadw::cli
