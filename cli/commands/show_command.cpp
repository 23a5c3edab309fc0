// orvadw-cli show: decodes a register block with a window's table and prints
// one "key = value unit" line per value, so that blocks can be read and
// diffed by a person.
#include <ostream>

#include "cli/cli_command.h"
#include "cli/hex_text.h"
#include "cli/window_block_options.h"
#include "params/block_checksum.h"
#include "params/field_text_form.h"

namespace orvadw::cli {

namespace {

int run_show(CliContext& context) {
  WindowBlockOptions options;
  if (!take_window_block_options(context.args, "show", options, context.err)) return 2;
  std::vector<std::uint8_t> bytes;
  if (!parse_hex_words(context.args, bytes, context.err)) return 2;

  ParameterFieldList list = make_field_list(options.window, options.language);
  if (list.decode(options.block, bytes) != 0) {
    context.err << "orvadw-cli show: " << bytes.size() << " bytes given, block holds "
                << list.block_length(options.block) << "; values beyond the data keep their initial texts\n";
  }
  for (const auto& line : FieldTextForm::lines(list, options.block)) context.out << line << "\n";
  // The checksum a printed sheet of these values carries; encode skips it.
  context.out << FieldTextForm::kCommentMark << block_checksum_text(list, {options.block}) << "\n";
  return 0;
}

CliCommandRegistration reg{{
    "show",
    "show --window " + window_choice_text() +
        " --block ADDR HEX... [--language 1-4, default 2 English]",
    "Decodes block bytes with a window's table and prints one \"key = value unit\" line per value, "
    "then the block's checksum.",
    run_show,
}};

}  // namespace
}  // namespace orvadw::cli
