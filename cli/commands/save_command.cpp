// orvadw-cli save --window W PATH: reads a settings-family window's blocks
// from the instrument and writes the data file that window's own save
// writes: the identification header first (refused when the firmware does
// not belong to this program), then one record per block of the window's
// file sequence, written as one file that replaces any file there only once
// it is complete.
#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "base/program_identity.h"
#include "base/result_codes.h"
#include "base/text_table.h"
#include "cli/cli_command.h"
#include "cli/hex_text.h"
#include "cli/link_session.h"
#include "cli/saved_window_options.h"
#include "files/record_file_session.h"
#include "link/block_transfer.h"
#include "params/firmware_check.h"
#include "params/window_table.h"

namespace orvadw::cli {

namespace {

std::string field_text(const ParameterFieldList& fields, int control_id) {
  const ParameterField* field = fields.field(control_id);
  return field != nullptr ? field->value_text() : std::string();
}

// Reads one block with the window's own register count. 0, or the link's
// code (a failed connect gives 253).
int read_block(BlockTransfer& transfer, const ParameterFieldList& fields, int block, Bytes& data) {
  const int words = fields.block_words(block);
  if (words <= 0) return result::kRequestNotBuilt;
  const BlockTransfer::ReadStatus status = transfer.read(block, words, data);
  if (status == BlockTransfer::ReadStatus::kRead) return 0;
  if (transfer.last_code() != 0) return transfer.last_code();
  return status == BlockTransfer::ReadStatus::kConnectFailed ? result::kPortNotOpened
                                                             : result::kNoAnswer;
}

int run_save(CliContext& context) {
  SavedWindowOptions options;
  if (!take_saved_window_options(context.args, "save", options, context.err)) return 2;
  const std::string& key = options.key;
  const int lang = options.language;
  std::string path = options.path;

  WindowTable window;
  WindowTable header_table;
  if (!find_window(key, lang, window) || !find_window("identification", lang, header_table)) {
    context.err << "orvadw-cli save: the table of window " << key << " is missing\n";
    return 1;
  }
  ParameterFieldList fields = make_field_list(window, lang);
  ParameterFieldList header = make_field_list(header_table, lang);

  LinkSession session;
  if (const int status = session.open(context.options, context.err); status != 0) return status;
  BlockTransfer transfer(session.master(), session.com_number(), context.options.baud_index,
                         session.slave());
  transfer.set_timeouts(context.options.timeout_ms, BlockTransfer::kWriteTimeoutMs);

  // Which instrument, and whether its data belong to this program.
  Bytes data;
  if (const int rc = read_block(transfer, header, block::kIdentification, data); rc != 0) {
    return report_result(context.err, rc);
  }
  header.decode(block::kIdentification, data);
  using namespace identification;
  const FirmwareCheck firmware =
      check_firmware(field_text(header, kSoftwareVersion), field_text(header, kSoftwareText),
                     program_version_key(), true, lang);
  if (!firmware.accepted) {
    context.err << firmware.message << "\n";
    return 1;
  }

  // Every block is read before the file is touched: a failed read leaves no
  // half-written file behind. The records are the images as received.
  std::map<int, Bytes> images;
  for (int block : window.read_sequence) {
    if (const int rc = read_block(transfer, fields, block, data); rc != 0) {
      context.err << "orvadw-cli save: block " << hex_address(block) << ": ";
      return report_result(context.err, rc);
    }
    fields.decode(block, data);
    images[block] = data;
  }

  FileServiceHooks hooks;
  hooks.show_error = [&context](const std::string& message, int) { context.err << message << "\n"; };
  RecordFileSession files(lang, hooks);
  files.set_file_kind(window.file_kind_text_id);
  files.build_header_text(text_of(window.title_text_id, lang),
                          IdentificationTexts{field_text(header, kSerialWeek),
                                              field_text(header, kSerialYear),
                                              field_text(header, kSerialNumber),
                                              field_text(header, kSoftwareVersion),
                                              field_text(header, kSoftwareText)});
  std::vector<Bytes> records;
  for (int block : window.file_sequence) {
    const auto found = images.find(block);
    records.push_back(found != images.end() ? found->second : fields.register_image(block));
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
