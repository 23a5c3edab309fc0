#pragma once
// SIGINT and SIGTERM turned into a flag that a long-running command checks
// between its waits, so that it ends through its normal path (files complete,
// line closed). The handlers are installed for the object's lifetime and the
// previous ones put back after.
#include <csignal>

namespace orvadw::cli {

class StopRequest {
 public:
  StopRequest();
  ~StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  bool requested() const;

 private:
  struct sigaction old_int_ {};
  struct sigaction old_term_ {};
};

}  // namespace orvadw::cli
