#pragma once
// A pseudo-terminal made by the test: the master side stays with the test
// (raw, non-blocking), the slave path is what the port under test opens.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace orvadw::test {

class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0 && !slave_path_.empty(); }
  const std::string& slave_path() const { return slave_path_; }
  int master_fd() const { return master_; }

  bool write(const std::vector<std::uint8_t>& bytes);
  // Reads until n bytes came or the time is up.
  std::vector<std::uint8_t> read(std::size_t n, std::chrono::milliseconds within);
  // Closes the master side: the slave sees a hang-up.
  void close_master();

 private:
  int master_ = -1;
  std::string slave_path_;
};

}  // namespace orvadw::test
