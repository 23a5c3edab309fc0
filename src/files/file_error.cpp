#include "files/file_error.h"

#include <cstring>

#include "base/text_table.h"

namespace orvadw {

namespace {
// strerror_r comes in two flavours; accept either.
[[maybe_unused]] const char* pick(int result, const char* buffer) {
  return result == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* pick(const char* result, const char*) { return result; }
}  // namespace

std::string system_error_text(int error_number) {
  char buffer[kMaxSystemErrorText + 1] = {};
  const char* text = pick(::strerror_r(error_number, buffer, sizeof buffer), buffer);
  if (text == nullptr) return "Unknown error " + std::to_string(error_number);
  std::string out(text);
  if (out.size() > kMaxSystemErrorText) out.resize(kMaxSystemErrorText);
  return out;
}

std::string file_error_message(int error_number, int language) {
  return text_of(kCannotOpenFileTextId, language) + system_error_text(error_number);
}

std::string file_failure_message(int error_number, int language) {
  return error_number != 0 ? file_error_message(error_number, language) : text_of(kIncorrectFileTextId, language);
}

}  // namespace orvadw
