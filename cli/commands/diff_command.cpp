// orvadw-cli diff --window W A [B]: compares the parameter file A with the
// file B, or with the instrument when B is absent, as the window's compare
// does (hidden fields left out, texts as shown, in table order), one line
// per differing field: "label: value in A -> value in B". The exit status
// is that of diff(1): 0 alike, 1 different, 2 trouble.
#include <ostream>
#include <string>

#include "cli/cli_command.h"
#include "cli/instrument_blocks.h"
#include "cli/saved_window_options.h"
#include "cli/window_file.h"
#include "params/field_comparison.h"
#include "params/field_text_form.h"
#include "params/window_rules.h"
#include "params/window_table.h"

namespace orvadw::cli {

namespace {

constexpr int kTrouble = 2;

SavedWindowSyntax syntax() {
  SavedWindowSyntax s = transfer_window_syntax();
  s.paths = "A [B]";
  s.max_paths = 2;
  return s;
}

// The window's values as the instrument holds them.
int read_instrument(CliContext& context, const WindowTable& window, ParameterFieldList& fields,
                    int lang) {
  ParameterFieldList header = identification_fields(lang);
  return read_window(context, window, lang, "diff", fields, header) == 0 ? 0 : kTrouble;
}

int run_diff(CliContext& context) {
  SavedWindowOptions options;
  if (!take_saved_window_options(context.args, "diff", options, context.err, syntax()))
    return kTrouble;
  const int lang = options.language;
  WindowTable window;
  if (!find_window(options.key, lang, window)) {
    context.err << "orvadw-cli diff: the table of window " << options.key << " is missing\n";
    return kTrouble;
  }
  ParameterFieldList a = make_field_list(window, lang);
  ParameterFieldList b = make_field_list(window, lang);
  if (load_window_file(options.paths[0], window, a, lang, context.err) != 0) return kTrouble;
  if (options.paths.size() > 1) {
    if (load_window_file(options.paths[1], window, b, lang, context.err) != 0) return kTrouble;
  } else if (const int rc = read_instrument(context, window, b, lang); rc != 0) {
    return rc;
  }
  const WindowRules rules = window_rules(options.key);
  apply_window_rules(rules, a);
  apply_window_rules(rules, b);

  const FieldComparison comparison = compare_field_lists(a, b);
  const std::vector<std::string> keys = FieldTextForm::keys(a);
  for (const FieldDifference& d : comparison.differences) {
    context.out << keys[static_cast<std::size_t>(d.position)] << ": " << d.reference_value << " -> "
                << d.actual_value << "\n";
  }
  return comparison.differences.empty() ? 0 : 1;
}

CliCommandRegistration reg{{
    "diff",
    saved_window_usage("diff", syntax()),
    "Compares a parameter file with another one, or with the instrument, one line per differing "
    "field.",
    run_diff,
}};

}  // namespace
}  // namespace orvadw::cli
