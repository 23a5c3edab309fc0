// orvadw-cli esc: what the ESC information view shows, read from the
// instrument as the view reads it (the identification and its firmware
// check, then blocks 0x100 and 0xB00): the values in the "key = value unit"
// form of show, then the reverse and the normal table, each after a title
// line with its polarity text, cells separated by a tab. The same output as
// "load --window esc" of a file saved from that instrument.
#include <ostream>

#include "base/text_table.h"
#include "cli/arguments.h"
#include "cli/cli_command.h"
#include "cli/esc_tables_text.h"
#include "cli/instrument_blocks.h"
#include "params/field_text_form.h"
#include "params/window_table.h"

namespace orvadw::cli {

namespace {

constexpr const char* kUsage = "esc [--language 1-4]";

int run_esc(CliContext& context) {
  std::vector<std::string> args = context.args;
  long long language = kEnglish;
  if (!take_bounded_option(args, "--language", 1, TextTable::language_count(), language,
                           context.err) ||
      !args.empty()) {
    return bad_usage(context.err, kUsage);
  }
  const int lang = static_cast<int>(language);
  const WindowTable window = esc_window(lang);
  ParameterFieldList fields = make_field_list(window, lang);
  ParameterFieldList header = identification_fields(lang);
  RawBlockStore received;
  if (const int status = read_window(context, window, lang, "esc", fields, header, &received);
      status != 0) {
    return status > 0 ? status : 1;
  }

  for (int block : window.file_sequence) {
    for (const auto& line : FieldTextForm::lines(fields, block)) context.out << line << "\n";
  }
  print_esc_tables(context.out, fields, received.image(block::kEsc));
  return 0;
}

CliCommandRegistration reg{{
    "esc",
    kUsage,
    "Reads the ESC information from the instrument and prints its values and its two tables "
    "(reverse, then normal) as the ESC view shows them.",
    run_esc,
}};

}  // namespace
}  // namespace orvadw::cli
