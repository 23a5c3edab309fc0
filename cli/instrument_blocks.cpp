#include "cli/instrument_blocks.h"

#include <ostream>

#include "base/program_identity.h"
#include "base/result_codes.h"
#include "cli/hex_text.h"
#include "params/firmware_check.h"

namespace orvadw::cli {

InstrumentBlocks::InstrumentBlocks(BlockTransfer& transfer, ParameterFieldList& fields)
    : transfer_(transfer), fields_(fields) {}

int InstrumentBlocks::read_block(int block) {
  const int words = fields_.block_words(block);
  if (words <= 0) {
    last_code_ = result::kRequestNotBuilt;
    return -1;
  }
  Bytes data;
  const BlockTransfer::ReadStatus status = transfer_.read(block, words, data);
  if (status != BlockTransfer::ReadStatus::kRead) {
    last_code_ = transfer_.last_code() != 0                            ? transfer_.last_code()
                 : status == BlockTransfer::ReadStatus::kConnectFailed ? result::kPortNotOpened
                                                                       : result::kNoAnswer;
    return -1;
  }
  last_code_ = 0;
  received_.keep(block, data);
  return fields_.decode(block, data) == 0 ? 0 : -1;
}

int InstrumentBlocks::write_block(int block) {
  const int rc = transfer_.write(block, fields_.register_image(block));
  last_code_ = transfer_.last_code();
  if (rc == result::kCannotOpenForWrite && last_code_ == 0) last_code_ = result::kPortNotOpened;
  return rc;
}

BlockTransfer session_transfer(LinkSession& session, const GlobalOptions& options) {
  BlockTransfer transfer(session.master(), session.com_number(), options.baud_index,
                         session.slave());
  transfer.set_timeouts(options.timeout_ms, BlockTransfer::kWriteTimeoutMs);
  return transfer;
}

std::string header_text(const ParameterFieldList& header, int control_id) {
  const ParameterField* field = header.field(control_id);
  return field != nullptr ? field->value_text() : std::string();
}

ParameterFieldList identification_fields(int language) {
  WindowTable table;
  if (!find_window("identification", language, table)) return ParameterFieldList(language);
  return make_field_list(table, language);
}

int read_window(CliContext& context, const WindowTable& window, int language,
                const std::string& command, ParameterFieldList& fields,
                ParameterFieldList& header, RawBlockStore* received) {
  std::ostream& err = context.err;
  LinkSession session;
  if (const int status = session.open(context.options, err); status != 0) return status;
  BlockTransfer transfer = session_transfer(session, context.options);
  InstrumentBlocks identification(transfer, header);
  if (identification.read_block(block::kIdentification) != 0) {
    err << "orvadw-cli " << command << ": identification: ";
    report_result(err, identification.last_code());
    return -1;
  }
  using namespace identification;
  const FirmwareCheck firmware =
      check_firmware(header_text(header, kSoftwareVersion), header_text(header, kSoftwareText),
                     program_version_key(), true, language);
  if (!firmware.accepted) {
    err << firmware.message << "\n";
    return -1;
  }
  InstrumentBlocks blocks(transfer, fields);
  const SequenceOutcome read = read_sequence(window.read_sequence, blocks);
  if (!read.ok()) {
    err << "orvadw-cli " << command << ": block " << hex_address(read.failed_block) << ": ";
    report_result(err, blocks.last_code() != 0 ? blocks.last_code() : result::kNoAnswer);
    return -1;
  }
  if (received != nullptr) *received = blocks.received();
  return 0;
}

}  // namespace orvadw::cli
