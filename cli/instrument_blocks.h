#pragma once
// A window's blocks on the instrument, as the block sequence runner reaches
// them from the command line: a read decodes into the fields and keeps the
// image as received, a write sends the fields' register image.
#include <iosfwd>
#include <string>

#include "cli/cli_command.h"
#include "cli/link_session.h"
#include "link/block_transfer.h"
#include "params/block_sequence_runner.h"
#include "params/parameter_field_list.h"
#include "params/raw_block_store.h"
#include "params/window_table.h"

namespace orvadw::cli {

class InstrumentBlocks : public BlockAccess {
 public:
  InstrumentBlocks(BlockTransfer& transfer, ParameterFieldList& fields);

  int read_block(int block) override;
  int write_block(int block) override;

  // The link's code of the last failure (251 no answer, 253 no line, ...).
  int last_code() const { return last_code_; }
  // The images as the instrument sent them.
  const RawBlockStore& received() const { return received_; }

 private:
  BlockTransfer& transfer_;
  ParameterFieldList& fields_;
  RawBlockStore received_;
  int last_code_ = 0;
};

// The block transfer of an open session with the command line's time-out.
BlockTransfer session_transfer(LinkSession& session, const GlobalOptions& options);

// The fields of the identification block a read fills (empty when its table
// is missing, which the read then reports).
ParameterFieldList identification_fields(int language);

// What a window's own read does, from the command line: opens the line with
// the global options, reads the identification block into header and refuses
// an instrument whose firmware is not this program's, then reads the window's
// read sequence into fields. The images as received go to *received when
// asked for. 0; the session's status when the line does not open; or -1
// after the reason on err (prefixed with "orvadw-cli <command>: ").
int read_window(CliContext& context, const WindowTable& window, int language,
                const std::string& command, ParameterFieldList& fields,
                ParameterFieldList& header, RawBlockStore* received = nullptr);

// The text of an identification field of header.
std::string header_text(const ParameterFieldList& header, int control_id);

}  // namespace orvadw::cli
