#pragma once
// A raw 8N1 termios port on a path, non-blocking, with bounded reads: the
// simulator program proven without the link's own classes.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace orvadw::sim::test {

class RawPort {
 public:
  // The line is set to `baud` (a termios speed), as a client would set it.
  explicit RawPort(const std::string& path, int baud = 9600);
  ~RawPort();
  RawPort(const RawPort&) = delete;
  RawPort& operator=(const RawPort&) = delete;

  bool is_open() const { return fd_ >= 0; }
  bool write_all(const std::vector<std::uint8_t>& bytes);
  bool write_text(const std::string& text);
  // Reads until n bytes came or the time is up.
  std::vector<std::uint8_t> read_exactly(std::size_t n, std::chrono::milliseconds within);
  // Reads until the line stays quiet for `quiet` (or `within` is up).
  std::vector<std::uint8_t> read_until_quiet(std::chrono::milliseconds quiet,
                                             std::chrono::milliseconds within);
  // Reads until the text has come (true) or the time is up; all text read is
  // appended to seen.
  bool read_until_text(const std::string& text, std::chrono::milliseconds within,
                       std::string& seen);
  void close();

 private:
  int fd_ = -1;
};

}  // namespace orvadw::sim::test
