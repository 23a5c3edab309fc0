#include "support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace orvadw::test {

PtyPair::PtyPair() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) return;
  char name[128];
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
      ::ptsname_r(master_, name, sizeof name) != 0) {
    close_master();
    return;
  }
  termios t{};
  if (::tcgetattr(master_, &t) == 0) {
    ::cfmakeraw(&t);
    ::tcsetattr(master_, TCSANOW, &t);
  }
  slave_path_ = name;
}

PtyPair::~PtyPair() { close_master(); }

void PtyPair::close_master() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

bool PtyPair::write(const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (done < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (std::chrono::steady_clock::now() > deadline) return false;
    pollfd p{master_, POLLOUT, 0};
    ::poll(&p, 1, 10);
  }
  return true;
}

std::vector<std::uint8_t> PtyPair::read(std::size_t n, std::chrono::milliseconds within) {
  std::vector<std::uint8_t> out;
  const auto deadline = std::chrono::steady_clock::now() + within;
  while (out.size() < n) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    std::uint8_t buf[512];
    const ssize_t got = ::read(master_, buf, std::min(sizeof buf, n - out.size()));
    if (got > 0) out.insert(out.end(), buf, buf + got);
  }
  return out;
}

}  // namespace orvadw::test
