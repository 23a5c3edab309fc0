// orvadw-cli transfer --window settings|special|analog FILE: sends a saved
// file's values to the instrument as the window's Transfer button does: the
// window's write sequence (for the settings, the clock and the reset word
// first when asked for), one attempt per block, stopping at the first block
// that fails. The blocks written are listed on standard output.
#include <ostream>
#include <string>

#include "base/date_time.h"
#include "base/result_codes.h"
#include "base/text_table.h"
#include "cli/arguments.h"
#include "cli/cli_command.h"
#include "cli/hex_text.h"
#include "cli/instrument_blocks.h"
#include "cli/link_session.h"
#include "cli/saved_window_options.h"
#include "cli/window_file.h"
#include "params/settings_rules.h"
#include "params/window_rules.h"
#include "params/window_table.h"

namespace orvadw::cli {

namespace {

constexpr int kNoAnswerTextId = 73;
constexpr int kCannotOpenPortTextId = 78;

struct Action {
  const char* flag;
  int control;
};
// The settings window's action choices, chosen "yes" by their flags.
constexpr Action kActions[] = {{"--sync-clock", settings::kSyncClock},
                               {"--reset-logger", settings::kResetLogger},
                               {"--reset-count", settings::kResetSphereCount}};

SavedWindowSyntax syntax() {
  SavedWindowSyntax s = transfer_window_syntax();
  s.paths = "FILE [--sync-clock] [--reset-logger] [--reset-count]";
  return s;
}

int run_transfer(CliContext& context) {
  std::vector<int> chosen;
  for (const Action& action : kActions) {
    if (take_flag(context.args, action.flag)) chosen.push_back(action.control);
  }
  SavedWindowOptions options;
  if (!take_saved_window_options(context.args, "transfer", options, context.err, syntax()))
    return 2;
  const int lang = options.language;
  if (!chosen.empty() && options.key != "settings") {
    context.err
        << "orvadw-cli transfer: the clock and reset options belong to the settings window\n";
    return bad_usage(context.err, saved_window_usage("transfer", syntax()));
  }

  WindowTable window;
  if (!find_window(options.key, lang, window)) {
    context.err << "orvadw-cli transfer: the table of window " << options.key << " is missing\n";
    return 1;
  }
  ParameterFieldList fields = make_field_list(window, lang);
  if (load_window_file(options.path, window, fields, lang, context.err) != 0) return 1;

  const WindowRules rules = window_rules(options.key);
  apply_window_rules(rules, fields);
  for (int control : chosen) {
    if (ParameterField* field = fields.field(control)) field->set_integer(0);
  }
  BlockSequences sequences(window.read_sequence, window.write_sequence, window.file_sequence);
  plan_window_transfer(rules, fields, sequences, DateTime::now());

  LinkSession session;
  if (const int status = session.open(context.options, context.err); status != 0) return status;
  BlockTransfer transfer = session_transfer(session, context.options);
  InstrumentBlocks blocks(transfer, fields);
  const SequenceOutcome outcome = transfer_sequence(sequences.blocks(Sequence::kWrite), 1, blocks);
  for (int block : outcome.done) {
    context.out << "wrote block " << hex_address(block) << " (" << fields.block_words(block)
                << " registers)\n";
  }
  if (outcome.ok()) return 0;
  const int text =
      outcome.result == result::kCannotOpenForWrite ? kCannotOpenPortTextId : kNoAnswerTextId;
  context.err << text_of(text, lang) << "\n"
              << "orvadw-cli transfer: block " << hex_address(outcome.failed_block)
              << " not written (" << outcome.done.size() << " written before it): ";
  report_result(context.err, blocks.last_code() != 0 ? blocks.last_code() : result::kNoAnswer);
  return 1;
}

CliCommandRegistration reg{{
    "transfer",
    saved_window_usage("transfer", syntax()),
    "Sends a saved file's values to the instrument with the window's write sequence, one attempt a "
    "block.",
    run_transfer,
}};

}  // namespace
}  // namespace orvadw::cli
