#include "cli/window_block_options.h"

#include <ostream>

#include "cli/arguments.h"

namespace orvadw::cli {

std::string window_choice_text() {
  std::string out;
  for (const auto& key : window_keys()) out += (out.empty() ? "" : "|") + key;
  return out;
}

bool take_window_block_options(std::vector<std::string>& args, const char* command,
                               WindowBlockOptions& options, std::ostream& err) {
  std::string window;
  bool present = false;
  if (!take_option(args, "--window", window, present) || !present) {
    err << "orvadw-cli " << command << ": --window " << window_choice_text() << " is needed\n";
    return false;
  }
  long long block = -1;  // stays negative when --block is missing
  long long language = kEnglish;
  if (!take_integer_option(args, "--block", block, err) ||
      !take_integer_option(args, "--language", language, err)) {
    return false;
  }
  if (block < 0 || block > 0xFFFFFFFFLL) {
    err << "orvadw-cli " << command
        << ": --block ADDR is needed (a register address such as 0x1000)\n";
    return false;
  }
  if (language < 1 || language > TextTable::language_count()) {
    err << "orvadw-cli " << command << ": --language must be 1 to " << TextTable::language_count()
        << "\n";
    return false;
  }
  options.language = static_cast<int>(language);
  options.block = static_cast<int>(block);
  if (!find_window(window, options.language, options.window)) {
    err << "orvadw-cli " << command << ": unknown window " << window << " (" << window_choice_text()
        << ")\n";
    return false;
  }
  ParameterFieldList probe = make_field_list(options.window, options.language);
  if (probe.block_fields(options.block).empty()) {
    err << "orvadw-cli " << command << ": window " << window << " has no values in block " << block
        << "\n";
    return false;
  }
  return true;
}

}  // namespace orvadw::cli
