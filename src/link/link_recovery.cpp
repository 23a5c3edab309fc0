#include "link/link_recovery.h"

#include "base/result_codes.h"

namespace orvadw {

LinkRecovery::LinkRecovery(JBusMaster& master, int port_number, int baud_index,
                           std::chrono::milliseconds retry_period)
    : master_(master),
      port_number_(port_number),
      baud_index_(baud_index),
      retry_period_(retry_period) {}

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

bool LinkRecovery::after_failed_poll(int poll_result) {
  if (!line_lost(poll_result)) return false;
  const auto now = Clock::now();
  if (tried_ && now - last_try_ < retry_period_) return false;
  const int rc = try_reopen();
  tried_ = true;
  last_try_ = Clock::now();
  return rc == result::kOk;
}

}  // namespace orvadw
