// orvadw-cli encode: the reverse of show. Reads "key = value" lines on
// standard input, sets those fields as a person typing would, and prints the
// block's bytes.
#include <iostream>
#include <string>

#include "cli/cli_command.h"
#include "cli/hex_text.h"
#include "cli/window_block_options.h"
#include "params/field_text_form.h"

namespace orvadw::cli {

namespace {

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
  context.out << hex_text(list.encode(options.block)) << "\n";
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
