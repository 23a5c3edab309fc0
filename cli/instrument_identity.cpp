#include "cli/instrument_identity.h"

#include <ostream>

#include "base/program_identity.h"
#include "base/result_codes.h"
#include "link/block_transfer.h"
#include "params/firmware_check.h"
#include "params/window_table.h"

namespace orvadw::cli {

namespace {

std::string field_text(const ParameterFieldList& fields, int control_id) {
  const ParameterField* field = fields.field(control_id);
  return field != nullptr ? field->value_text() : std::string();
}

// One block with the register count the fields give it. 0, or the link's
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

}  // namespace

int open_identified(LinkSession& session, const GlobalOptions& options, int language,
                    IdentificationTexts& ids, std::ostream& err) {
  if (const int status = session.open(options, err); status != 0) return status;
  WindowTable header_table;
  if (!find_window("identification", language, header_table)) return 1;
  ParameterFieldList header = make_field_list(header_table, language);
  BlockTransfer transfer(session.master(), session.com_number(), options.baud_index, session.slave());
  transfer.set_timeouts(options.timeout_ms, BlockTransfer::kWriteTimeoutMs);
  Bytes data;
  if (const int rc = read_block(transfer, header, block::kIdentification, data); rc != 0) {
    return report_result(err, rc);
  }
  header.decode(block::kIdentification, data);
  using namespace identification;
  ids = IdentificationTexts{field_text(header, kSerialWeek), field_text(header, kSerialYear),
                            field_text(header, kSerialNumber), field_text(header, kSoftwareVersion),
                            field_text(header, kSoftwareText)};
  const FirmwareCheck firmware =
      check_firmware(ids.software_version, ids.software_name, program_version_key(), true, language);
  if (!firmware.accepted) {
    err << firmware.message << "\n";
    return 1;
  }
  return 0;
}

}  // namespace orvadw::cli
