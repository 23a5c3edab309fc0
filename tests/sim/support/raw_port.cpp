#include "support/raw_port.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "link/posix_serial_port.h"
#include "tests/support/deadline.h"

namespace orvadw::sim::test {

namespace {

using Clock = std::chrono::steady_clock;
using orvadw::test::ms_left;

}  // namespace

RawPort::RawPort(const std::string& path, int baud) {
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) return;
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) {
    close();
    return;
  }
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  speed_t speed = B9600;
  PosixSerialPort::speed_constant(baud, &speed);
  ::cfsetspeed(&tio, speed);
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) close();
}

RawPort::~RawPort() {
  close();
}

void RawPort::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool RawPort::write_all(const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd p{fd_, POLLOUT, 0};
    if (::poll(&p, 1, ms_left(deadline)) <= 0) return false;
  }
  return true;
}

bool RawPort::write_text(const std::string& text) {
  return write_all(std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::vector<std::uint8_t> RawPort::read_exactly(std::size_t n, std::chrono::milliseconds within) {
  std::vector<std::uint8_t> out;
  const auto deadline = Clock::now() + within;
  while (out.size() < n) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, ms_left(deadline)) <= 0) break;
    std::uint8_t buf[512];
    const ssize_t got = ::read(fd_, buf, std::min(sizeof buf, n - out.size()));
    if (got <= 0) {
      if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      break;
    }
    out.insert(out.end(), buf, buf + got);
  }
  return out;
}

std::vector<std::uint8_t> RawPort::read_until_quiet(std::chrono::milliseconds quiet,
                                                    std::chrono::milliseconds within) {
  std::vector<std::uint8_t> out;
  const auto deadline = Clock::now() + within;
  for (;;) {
    pollfd p{fd_, POLLIN, 0};
    const int wait = std::min(static_cast<int>(quiet.count()), ms_left(deadline));
    if (::poll(&p, 1, wait) <= 0) break;
    std::uint8_t buf[512];
    const ssize_t got = ::read(fd_, buf, sizeof buf);
    if (got <= 0) {
      if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      break;
    }
    out.insert(out.end(), buf, buf + got);
  }
  return out;
}

bool RawPort::read_until_text(const std::string& text, std::chrono::milliseconds within,
                              std::string& seen) {
  const auto deadline = Clock::now() + within;
  while (seen.find(text) == std::string::npos) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, ms_left(deadline)) <= 0) return false;
    char buf[256];
    const ssize_t got = ::read(fd_, buf, sizeof buf);
    if (got <= 0) {
      if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      return false;
    }
    seen.append(buf, static_cast<std::size_t>(got));
  }
  return true;
}

}  // namespace orvadw::sim::test
