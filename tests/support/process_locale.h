#pragma once
// Switches the process locale (LC_ALL) for its lifetime, as the Qt
// application does under a user's locale, and puts the previous one back.
// ok() is false when the locale is not installed.
#include <string>

namespace orvadw::test {

class ProcessLocale {
 public:
  explicit ProcessLocale(const char* name);
  ~ProcessLocale();
  ProcessLocale(const ProcessLocale&) = delete;
  ProcessLocale& operator=(const ProcessLocale&) = delete;
  bool ok() const { return ok_; }

 private:
  std::string previous_;
  bool ok_ = false;
};

}  // namespace orvadw::test
