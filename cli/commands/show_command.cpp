// orvadw-cli show: decodes a register block with a window's table and prints
// one "key = value unit" line per value, so that blocks can be read and
// diffed by a person.
#include <algorithm>
#include <cctype>
#include <ostream>

#include "base/text_table.h"
#include "cli/cli_command.h"
#include "params/field_text_form.h"
#include "params/window_table.h"

namespace orvadw::cli {

namespace {

// --window, --block and --language; encode takes the same options.
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

// Hex bytes as separate two-digit words or as one run of digits.
bool parse_hex_bytes(const std::vector<std::string>& words, std::vector<std::uint8_t>& bytes, std::ostream& err) {
  std::string digits;
  for (const auto& w : words) {
    for (char c : w) {
      if (std::isspace(static_cast<unsigned char>(c))) continue;
      if (!std::isxdigit(static_cast<unsigned char>(c))) {
        err << "orvadw-cli show: not a hexadecimal byte: " << w << "\n";
        return false;
      }
      digits.push_back(c);
    }
  }
  if (digits.size() % 2 != 0) {
    err << "orvadw-cli show: odd number of hexadecimal digits\n";
    return false;
  }
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  }
  return true;
}

int run_show(CliContext& context) {
  WindowBlockOptions options;
  if (!take_window_block_options(context.args, "show", options, context.err)) return 2;
  std::vector<std::uint8_t> bytes;
  if (!parse_hex_bytes(context.args, bytes, context.err)) return 2;

  ParameterFieldList list = make_field_list(options.window, options.language);
  if (list.decode(options.block, bytes) != 0) {
    context.err << "orvadw-cli show: " << bytes.size() << " bytes given, block holds "
                << list.block_length(options.block) << "; values beyond the data keep their initial texts\n";
  }
  for (const auto& line : FieldTextForm::lines(list, options.block)) context.out << line << "\n";
  return 0;
}

CliCommandRegistration reg{{
    "show",
    "show --window " + window_choice_text() + " --block ADDR HEX... [--language 1-4, default 2 English]",
    "Decodes block bytes with a window's table and prints one \"key = value unit\" line per value.",
    run_show,
}};

}  // namespace
}  // namespace orvadw::cli
