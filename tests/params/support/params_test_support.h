#pragma once
// Helpers shared by the parameter-model tests.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvadw::test {

// "00 0A ff" or "000aff" -> bytes.
std::vector<std::uint8_t> bytes_from_hex(const std::string& hex);
// Bytes -> "00 0A FF" (test::hex over any run of bytes).
std::string hex_of(std::span<const std::uint8_t> bytes);

// Switches the process locale (LC_ALL) for its lifetime, as the Qt
// application does under a user's locale. ok() is false when the locale is
// not installed.
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
