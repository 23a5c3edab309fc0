#include "fuzz/support/fuzz_check.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace orvadw::fuzz {

namespace {

std::mutex& handler_mutex() {
  static std::mutex m;
  return m;
}

FailureHandler& handler() {
  static FailureHandler h;
  return h;
}

}  // namespace

void set_failure_handler(FailureHandler h) {
  std::lock_guard<std::mutex> lock(handler_mutex());
  handler() = std::move(h);
}

void report_failure(const char* file, int line, const std::string& message) {
  const std::string text = std::string(file) + ":" + std::to_string(line) + ": " + message;
  FailureHandler h;
  {
    std::lock_guard<std::mutex> lock(handler_mutex());
    h = handler();
  }
  if (h) {
    h(text);
    return;
  }
  std::fprintf(stderr, "fuzz check failed: %s\n", text.c_str());
  std::abort();
}

}  // namespace orvadw::fuzz
