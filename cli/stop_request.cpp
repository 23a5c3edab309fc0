#include "cli/stop_request.h"

#include <atomic>

namespace orvadw::cli {

namespace {
std::atomic<bool> g_stop{false};

extern "C" void on_stop(int) { g_stop.store(true); }
}  // namespace

StopRequest::StopRequest() {
  g_stop.store(false);
  struct sigaction action {};
  action.sa_handler = on_stop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &old_int_);
  sigaction(SIGTERM, &action, &old_term_);
}

StopRequest::~StopRequest() {
  sigaction(SIGINT, &old_int_, nullptr);
  sigaction(SIGTERM, &old_term_, nullptr);
}

bool StopRequest::requested() const { return g_stop.load(); }

}  // namespace orvadw::cli
