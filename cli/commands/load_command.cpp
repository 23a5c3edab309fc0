// orvadw-cli load --window W PATH: loads a data file into a settings-family
// window's table as the window loads it (identification and firmware check,
// then one record per block of the file sequence) and prints the values in
// the "key = value unit" form of show.
#include <ostream>
#include <string>
#include <vector>

#include "base/program_identity.h"
#include "base/text_table.h"
#include "cli/cli_command.h"
#include "cli/hex_text.h"
#include "cli/saved_window_options.h"
#include "files/file_error.h"
#include "files/record_file_session.h"
#include "params/field_text_form.h"
#include "params/firmware_check.h"
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

  FileHeader header;
  FileServiceHooks hooks;
  hooks.show_error = [&context](const std::string& message, int) { context.err << message << "\n"; };
  // The header is filled before the check runs, so the refusal can name the
  // file's software.
  hooks.check_firmware = [&context, &header, lang](const std::string& version) {
    const FirmwareCheck check =
        check_firmware(version, header.software_name, program_version_key(), true, lang);
    if (check.accepted) return 0;
    context.err << check.message << "\n";
    return -1;
  };
  RecordFileSession files(lang, hooks);
  files.set_file_kind(window.file_kind_text_id);
  if (files.read_identification(path, header) != 0) return 1;

  for (std::size_t i = 0; i < window.file_sequence.size(); ++i) {
    const int block = window.file_sequence[i];
    std::vector<std::uint8_t> bytes;
    if (files.load_record(path, static_cast<int>(i), fields.block_words(block), bytes) != 0 ||
        fields.decode(block, bytes) != 0) {
      context.err << text_of(kIncorrectFileTextId, lang) << " (record " << i
                  << " does not hold block " << hex_address(block) << " of window " << key
                  << ")\n";
      return 1;
    }
  }
  for (int block : window.file_sequence) {
    for (const auto& line : FieldTextForm::lines(fields, block)) context.out << line << "\n";
  }
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
