#pragma once
// Brings a polled line back by itself. When the device under the line has
// gone (a USB adapter pulled, a Bluetooth link dropped, the other end of a
// pseudo-terminal closed), the poller stops polling and asks try_reopen()
// about once a second; each try opens the same COM number again, which the
// port map resolves afresh: the same device path, or the node that now
// carries the adapter's /dev/serial/by-id name when it came back under
// another one. A silent instrument on a live line is not a lost line: polling
// goes on and the next answer clears the failure by itself.
//
// Qt-free so that the measurement view and `orvadw-cli record` recover the
// same way.
#include <chrono>

#include "link/jbus_master.h"

namespace orvadw {

class LinkRecovery {
 public:
  static constexpr std::chrono::milliseconds kRetryPeriod{1000};

  LinkRecovery(JBusMaster& master, int port_number, int baud_index,
               std::chrono::milliseconds retry_period = kRetryPeriod);

  // Whether a failed poll (its result code) means the line itself is gone.
  bool line_lost(int poll_result) const;

  // One try: 0 when the line is open and alive again, else the link's code.
  int try_reopen();
  int tries() const { return tries_; }

  // What a poller does with each failed poll: when the line itself is gone
  // and the last try is at least a retry period old, one try. True when that
  // try brought the line back.
  bool after_failed_poll(int poll_result);

 private:
  using Clock = std::chrono::steady_clock;

  JBusMaster& master_;
  int port_number_;
  int baud_index_;
  std::chrono::milliseconds retry_period_;
  Clock::time_point last_try_{};
  bool tried_ = false;
  int tries_ = 0;
};

}  // namespace orvadw
