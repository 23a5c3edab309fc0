#include "base/c_locale.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <vector>

namespace orvadw {

namespace {
locale_t c_locale_handle() {
  static locale_t handle = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return handle;
}
}  // namespace

CLocaleScope::CLocaleScope() : previous_(uselocale(c_locale_handle())) {}
CLocaleScope::~CLocaleScope() { uselocale(static_cast<locale_t>(previous_)); }

std::string c_vformat(const char* format, va_list args) {
  CLocaleScope scope;
  char small[256];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return {};
  if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
  std::vector<char> big(static_cast<std::size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), format, args);
  return std::string(big.data(), static_cast<std::size_t>(n));
}

std::string c_format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = c_vformat(format, args);
  va_end(args);
  return out;
}

std::string c_format_double(std::string_view format, double value) {
  std::string f(format);
  return c_format(f.c_str(), value);  // NOLINT: format comes from descriptor data
}

double c_strtod(std::string_view text, std::size_t* consumed) {
  std::string s(text);
  char* end = nullptr;
  double v = strtod_l(s.c_str(), &end, c_locale_handle());
  if (consumed != nullptr) *consumed = static_cast<std::size_t>(end - s.c_str());
  return end == s.c_str() ? 0.0 : v;
}

double c_atof(std::string_view text) { return c_strtod(text, nullptr); }

long long c_strtoll(std::string_view text, int base, std::size_t* consumed) {
  std::string s(text);
  char* end = nullptr;
  long long v = strtoll_l(s.c_str(), &end, base, c_locale_handle());
  if (consumed != nullptr) *consumed = static_cast<std::size_t>(end - s.c_str());
  return end == s.c_str() ? 0 : v;
}

}  // namespace orvadw
