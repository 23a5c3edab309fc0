#pragma once
// Numbers that go to the instrument, to files or to the configuration are
// written and read in the C locale, whatever locale Qt or the user selected
// ("27.9", never "27,9"). These helpers switch the calling thread to the C
// locale for the one call, so they are safe beside other threads.
#include <cstdarg>
#include <string>
#include <string_view>

namespace orvadw {

// printf-style formatting in the C locale.
std::string c_format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string c_vformat(const char* format, va_list args);

// Formats one double with a printf format taken from data (a descriptor's
// "%0.1f"); the format must hold exactly one floating conversion.
std::string c_format_double(std::string_view format, double value);

// strtod in the C locale over the leading part of text; consumed receives the
// number of characters used (0 when no number starts the text).
double c_strtod(std::string_view text, std::size_t* consumed = nullptr);
// atof: the leading number of the text, 0 when there is none.
double c_atof(std::string_view text);
// atoi/strtol (base 10 unless told): the leading integer, 0 when there is none.
long long c_strtoll(std::string_view text, int base = 10, std::size_t* consumed = nullptr);

// Runs in the C locale for its lifetime (per thread).
class CLocaleScope {
 public:
  CLocaleScope();
  ~CLocaleScope();
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  void* previous_;
};

}  // namespace orvadw
