#include "tests/support/process_locale.h"

#include <clocale>

namespace orvadw::test {

ProcessLocale::ProcessLocale(const char* name) {
  const char* current = std::setlocale(LC_ALL, nullptr);
  previous_ = current != nullptr ? current : "C";
  ok_ = std::setlocale(LC_ALL, name) != nullptr;
}

ProcessLocale::~ProcessLocale() { std::setlocale(LC_ALL, previous_.c_str()); }

}  // namespace orvadw::test
