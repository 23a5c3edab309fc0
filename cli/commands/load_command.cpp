// orvadw-cli load --window W PATH: loads a data file into a settings-family
// window's table as the window loads it (identification and firmware check,
// then one record per block of the file sequence) and prints the values in
// the "key = value unit" form of show; an ESC file then its two tables.
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/esc_tables_text.h"
#include "cli/saved_window_options.h"
#include "cli/window_file.h"
#include "params/field_text_form.h"
#include "params/window_table.h"

namespace orvadw::cli {

namespace {

int run_load(CliContext& context) {
  SavedWindowOptions options;
  if (!take_saved_window_options(context.args, "load", options, context.err)) return 2;
  const std::string& key = options.key;
  const int lang = options.language;
  std::string path = options.path;

  WindowTable window;
  if (!find_window(key, lang, window)) {
    context.err << "orvadw-cli load: the table of window " << key << " is missing\n";
    return 1;
  }
  ParameterFieldList fields = make_field_list(window, lang);

  RawBlockStore images;
  if (load_window_file(path, window, fields, lang, context.err, &images) != 0) return 1;
  for (int block : window.file_sequence) {
    for (const auto& line : FieldTextForm::lines(fields, block)) context.out << line << "\n";
  }
  // The ESC tables live in bytes no field covers: shown from the record.
  if (key == esc_window(lang).key) print_esc_tables(context.out, fields, images.image(block::kEsc));
  return 0;
}

CliCommandRegistration reg{{
    "load",
    saved_window_usage("load"),
    "Loads a window's data file and prints its values as \"key = value unit\" lines.",
    run_load,
}};

}  // namespace
}  // namespace orvadw::cli
