#pragma once
// What a fuzz target asserts about the code under test. A broken promise
// aborts under libFuzzer (so the input is kept as a crash) and is recorded by
// the replay test, which then fails with the message.
#include <functional>
#include <string>

namespace orvadw::fuzz {

using FailureHandler = std::function<void(const std::string& message)>;

// Replaces the default (print and abort); an empty handler restores it.
void set_failure_handler(FailureHandler handler);
void report_failure(const char* file, int line, const std::string& message);

}  // namespace orvadw::fuzz

#define FUZZ_CHECK(condition, message)                                            \
  do {                                                                            \
    if (!(condition)) ::orvadw::fuzz::report_failure(__FILE__, __LINE__, message); \
  } while (false)
