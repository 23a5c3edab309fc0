#include "link/link_recovery.h"

#include "base/result_codes.h"

namespace orvadw {

LinkRecovery::LinkRecovery(JBusMaster& master, int port_number, int baud_index)
    : master_(master), port_number_(port_number), baud_index_(baud_index) {}

bool LinkRecovery::line_lost(int poll_result) const {
  if (poll_result == result::kOk) return false;
  return poll_result == result::kNoSuchPort || poll_result == result::kPortNotOpened ||
         !master_.is_connected() || !master_.is_alive();
}

int LinkRecovery::try_reopen() {
  ++tries_;
  // A line whose device has gone is opened afresh; one still alive is kept.
  const int rc = master_.connect(port_number_, baud_index_);
  if (rc != result::kOk) return rc;
  return master_.is_alive() ? result::kOk : result::kNoSuchPort;
}

}  // namespace orvadw
