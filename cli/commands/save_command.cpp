// orvadw-cli save --window W PATH: reads a settings-family window's blocks
// from the instrument and writes the data file that window's own save
// writes: the identification header first (refused when the firmware does
// not belong to this program), then one record per block of the window's
// file sequence, written as one file that replaces any file there only once
// it is complete.
#include <ostream>
#include <string>
#include <vector>

#include "base/text_table.h"
#include "cli/cli_command.h"
#include "cli/instrument_blocks.h"
#include "cli/saved_window_options.h"
#include "files/record_file_session.h"
#include "params/window_table.h"

namespace orvadw::cli {

namespace {

int run_save(CliContext& context) {
  SavedWindowOptions options;
  if (!take_saved_window_options(context.args, "save", options, context.err)) return 2;
  const std::string& key = options.key;
  const int lang = options.language;
  std::string path = options.path;

  WindowTable window;
  if (!find_window(key, lang, window)) {
    context.err << "orvadw-cli save: the table of window " << key << " is missing\n";
    return 1;
  }
  ParameterFieldList fields = make_field_list(window, lang);
  ParameterFieldList header = identification_fields(lang);

  // Which instrument, and whether its data belong to this program; every
  // block is read before the file is touched, so a failed read leaves no
  // half-written file behind. The records are the images as received.
  RawBlockStore received;
  if (const int status = read_window(context, window, lang, "save", fields, header, &received);
      status != 0) {
    return status > 0 ? status : 1;
  }

  FileServiceHooks hooks;
  hooks.show_error = [&context](const std::string& message, int) { context.err << message << "\n"; };
  using namespace identification;
  RecordFileSession files(lang, hooks);
  files.set_file_kind(window.file_kind_text_id);
  files.build_header_text(
      text_of(window.title_text_id, lang),
      IdentificationTexts{header_text(header, kSerialWeek), header_text(header, kSerialYear),
                          header_text(header, kSerialNumber), header_text(header, kSoftwareVersion),
                          header_text(header, kSoftwareText)});
  std::vector<Bytes> records;
  for (int block : window.file_sequence) {
    records.push_back(received.received(block)
                          ? Bytes(received.image(block).begin(), received.image(block).end())
                          : fields.register_image(block));
  }
  // One write of the whole file: a file already there is replaced only once
  // the new one is complete.
  if (files.save_records(path, records) != 0) return 1;
  const std::size_t saved = records.size();
  context.out << "saved " << saved << (saved == 1 ? " record" : " records") << " to " << path
              << "\n";
  return 0;
}

CliCommandRegistration reg{{
    "save",
    saved_window_usage("save"),
    "Reads a window's blocks from the instrument and writes them to a data file as the window saves them.",
    run_save,
}};

}  // namespace
}  // namespace orvadw::cli
