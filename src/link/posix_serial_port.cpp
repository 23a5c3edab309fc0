#include "link/posix_serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "base/c_locale.h"

namespace orvadw {

namespace {

using Clock = std::chrono::steady_clock;

struct SpeedEntry {
  int baud;
  speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},     {75, B75},     {110, B110},     {134, B134},     {150, B150},
    {200, B200},   {300, B300},   {600, B600},     {1200, B1200},   {1800, B1800},
    {2400, B2400}, {4800, B4800}, {9600, B9600},   {19200, B19200}, {38400, B38400},
    {57600, B57600}, {115200, B115200},
};

// Parity letter to the code the dump shows: 0 none, 1 odd, 2 even, 3 mark, 4 space.
int parity_code_for(char letter) {
  switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'N': return 0;
    case 'O': return 1;
    case 'E': return 2;
    case 'M': return 3;
    case 'S': return 4;
    default: return -1;
  }
}

bool no_such_ioctl(int error) { return error == ENOTTY || error == EINVAL || error == ENOTSUP; }

// Slave side of a pseudo-terminal (majors 136..143): it has no data bits or
// parity of its own.
bool is_pty_slave(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned m = major(st.st_rdev);
  return m >= 136 && m <= 143;
}

}  // namespace

bool PosixSerialPort::speed_constant(int baud, speed_t* speed) {
  for (const SpeedEntry& e : kSpeeds) {
    if (e.baud == baud) {
      *speed = e.speed;
      return true;
    }
  }
  return false;
}

int PosixSerialPort::map_errno(int error, bool setting_speed) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
      return result::kNoSuchPort;
    case EACCES:
    case EBUSY:
    case EPERM:
    case EWOULDBLOCK:
      return result::kPortInUse;
    case EINVAL:
      return setting_speed ? result::kInvalidBaud : result::kGeneralFailure;
    default:
      return result::kGeneralFailure;
  }
}

PosixSerialPort::PosixSerialPort(const std::string& device, int port_index, int baud, char parity,
                                 int data_bits, int stop_bits)
    : SerialPort(port_index, kDriverKind), device_(device) {
  open_device(baud, parity, data_bits, stop_bits);
}

PosixSerialPort::~PosixSerialPort() { close(); }

bool PosixSerialPort::is_open() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return fd_ >= 0;
}

int PosixSerialPort::open_device(int baud, char parity, int data_bits, int stop_bits) {
  const int fd = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    const int code = map_errno(error);
    if (error == EACCES || error == EPERM) {
      error_text_ = "No permission to open " + device_ +
                    ": the user is probably not in the \"dialout\" group (add the user to it, "
                    "then log in again)";
    } else if (code == result::kNoSuchPort) {
      error_text_ = "No such serial port: " + device_;
    } else if (code == result::kPortInUse) {
      error_text_ = "The serial port " + device_ + " is in use by another program";
    } else {
      error_text_ = "Cannot open " + device_ + ": " + std::strerror(error);
    }
    return fail(code);
  }
  // TIOCEXCL keeps other users out; flock also stops a second opener that
  // runs as root, which TIOCEXCL lets through.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    error_text_ = "The serial port " + device_ + " is in use by another program";
    return fail(error == EWOULDBLOCK ? result::kPortInUse : map_errno(error));
  }
  termios probe{};
  if (::tcgetattr(fd, &probe) != 0) {
    const int error = errno;
    ::close(fd);
    error_text_ = device_ + " is not a serial device";
    return fail(error == ENOTTY ? result::kNoSuchPort : map_errno(error));
  }
  ::ioctl(fd, TIOCEXCL);
  const int wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wake < 0) {
    ::close(fd);
    error_text_ = "Cannot set up the serial port " + device_ + ": " + std::strerror(errno);
    return fail(result::kGeneralFailure);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fd_ = fd;
    wake_fd_ = wake;
  }
  const int line = set_line(baud, parity, data_bits, stop_bits);
  if (line != 0) {
    const int keep = line;
    close();
    error_text_ = "The serial port " + device_ + " refused the line settings: " + result_text(keep);
    return fail(keep);
  }
  // DTR and RTS up, as a terminal would; a pseudo-terminal has no such lines.
  modem_lines(TIOCM_DTR | TIOCM_RTS, 0);
  dtr_on_ = true;
  rts_on_ = true;
  update_error_flags();
  error_flags_ = 0;  // counts from before our time are not ours
  set_status(result::kOk);
  error_text_.clear();
  return result::kOk;
}

int PosixSerialPort::mark_gone() {
  gone_ = true;
  error_text_ = "The serial device " + device_ + " is gone";
  return fail(result::kNoSuchPort);
}

bool PosixSerialPort::is_alive() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return fd_ >= 0 && !gone_;
}

std::string PosixSerialPort::error_text() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!error_text_.empty()) return error_text_;
  return result_text(status());
}

int PosixSerialPort::set_line(int baud, char parity, int data_bits, int stop_bits) {
  speed_t speed;
  // The table ends at 115200: faster lines are refused here too.
  if (!speed_constant(baud, &speed)) return fail(result::kInvalidBaud);
  const int parity_code = parity_code_for(parity);
  if (parity_code < 0) return fail(result::kInvalidParity);
  if (stop_bits != 1 && stop_bits != 2) return fail(result::kInvalidStopBits);
  if (data_bits < 5 || data_bits > 8) return fail(result::kInvalidDataBits);
  const int old_baud = baud_, old_bits = data_bits_, old_parity = parity_code_, old_stop = stop_bits_;
  baud_ = baud;
  data_bits_ = data_bits;
  parity_code_ = parity_code;
  stop_bits_ = stop_bits;
  const int rc = apply_termios();
  if (rc != 0) {
    baud_ = old_baud;
    data_bits_ = old_bits;
    parity_code_ = old_parity;
    stop_bits_ = old_stop;
  }
  return rc;
}

int PosixSerialPort::apply_termios() {
  int fd;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fd = fd_;
  }
  if (fd < 0) return fail(result::kNoSuchPort);
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return fail(map_errno(errno));
  ::cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  switch (data_bits_) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    default: t.c_cflag |= CS8; break;
  }
  switch (parity_code_) {
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    case 3: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  if (stop_bits_ == 2) t.c_cflag |= CSTOPB;
  if (rts_cts_flow_) t.c_cflag |= CRTSCTS;
  // Parity checking stays off: a bad byte reaches the link, whose CRC judges it.
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
  if (software_flow_) t.c_iflag |= IXON | IXOFF;
  t.c_cc[VSTART] = 0x11;
  t.c_cc[VSTOP] = 0x13;
  // VMIN 1 with a non-blocking descriptor: "no data" is EAGAIN, so a read of
  // 0 bytes can only mean that the device hung up.
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  speed_t speed = B9600;
  speed_constant(baud_, &speed);
  ::cfsetispeed(&t, speed);
  ::cfsetospeed(&t, speed);
  if (::tcsetattr(fd, TCSANOW, &t) != 0) {
    const int error = errno;
    // Some kernels refuse a character size or parity that a pseudo-terminal
    // cannot hold; it carries whole bytes whatever is asked, so ask again
    // without them.
    if (error != EINVAL || !is_pty_slave(fd)) return fail(map_errno(error, true));
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR);
    t.c_cflag |= CS8;
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return fail(map_errno(errno, true));
  }
  termios check{};
  if (::tcgetattr(fd, &check) == 0 && ::cfgetospeed(&check) != speed) {
    return fail(result::kInvalidBaud);
  }
  return result::kOk;
}

int PosixSerialPort::modem_lines(int set_mask, int clear_mask) {
  int fd;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fd = fd_;
  }
  if (fd < 0) return fail(result::kNoSuchPort);
  if (set_mask != 0 && ::ioctl(fd, TIOCMBIS, &set_mask) != 0) {
    const int error = errno;
    if (no_such_ioctl(error)) {
      have_modem_lines_ = false;
      return fail(result::kNotSupported);
    }
    return fail(map_errno(error));
  }
  if (clear_mask != 0 && ::ioctl(fd, TIOCMBIC, &clear_mask) != 0) {
    const int error = errno;
    if (no_such_ioctl(error)) {
      have_modem_lines_ = false;
      return fail(result::kNotSupported);
    }
    return fail(map_errno(error));
  }
  return result::kOk;
}

int PosixSerialPort::set_software_flow(bool on) {
  const bool old = software_flow_;
  software_flow_ = on;
  const int rc = apply_termios();
  if (rc != 0) software_flow_ = old;
  return rc;
}

int PosixSerialPort::set_rts_cts_flow(bool on) {
  const bool old = rts_cts_flow_;
  rts_cts_flow_ = on;
  const int rc = apply_termios();
  if (rc != 0) rts_cts_flow_ = old;
  return rc;
}

int PosixSerialPort::set_dtr_dsr_flow(bool on) {
  dtr_dsr_flow_ = on;
  return on ? fail(result::kNotSupported) : result::kOk;
}

int PosixSerialPort::set_dtr(bool on) {
  const int rc = on ? modem_lines(TIOCM_DTR, 0) : modem_lines(0, TIOCM_DTR);
  if (rc == 0) dtr_on_ = on;
  return rc;
}

int PosixSerialPort::set_rts(bool on) {
  const int rc = on ? modem_lines(TIOCM_RTS, 0) : modem_lines(0, TIOCM_RTS);
  if (rc == 0) rts_on_ = on;
  return rc;
}

void PosixSerialPort::update_error_flags() {
  if (!have_counters_) return;
  int fd;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fd = fd_;
  }
  if (fd < 0) return;
  serial_icounter_struct counts{};
  if (::ioctl(fd, TIOCGICOUNT, &counts) != 0) {
    have_counters_ = false;  // pseudo-terminals and some adapters keep none
    return;
  }
  const long now[5] = {counts.frame, counts.overrun, counts.parity, counts.brk, counts.buf_overrun};
  const int flag[5] = {0x08, 0x02, 0x04, 0x10, 0x01};
  for (int i = 0; i < 5; ++i) {
    if (now[i] != counters_[i]) error_flags_ |= flag[i];
    counters_[i] = now[i];
  }
}

int PosixSerialPort::transmit_count() {
  update_error_flags();
  std::lock_guard<std::mutex> lock(mutex_);
  if (fd_ < 0) return fail(result::kNoSuchPort);
  int count = 0;
  if (::ioctl(fd_, TIOCOUTQ, &count) != 0) {
    const int error = errno;
    if (error == EIO) return mark_gone();
    return fail(map_errno(error));
  }
  return count;
}

int PosixSerialPort::transmit_free() {
  const int count = transmit_count();
  if (count < 0) return count;
  return count >= kQueueSize ? 0 : kQueueSize - count;
}

int PosixSerialPort::receive_count() {
  update_error_flags();
  std::lock_guard<std::mutex> lock(mutex_);
  if (fd_ < 0) return fail(result::kNoSuchPort);
  int count = 0;
  if (::ioctl(fd_, FIONREAD, &count) != 0) {
    const int error = errno;
    if (error == EIO) return mark_gone();
    return fail(map_errno(error));
  }
  return count + buffered_locked();
}

int PosixSerialPort::receive_free() {
  const int count = receive_count();
  if (count < 0) return count;
  return count >= kQueueSize ? 0 : kQueueSize - count;
}

int PosixSerialPort::purge_transmit() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (fd_ < 0) return fail(result::kNoSuchPort);
  if (::tcflush(fd_, TCOFLUSH) != 0) {
    const int error = errno;
    if (error == EIO) return mark_gone();
    return fail(map_errno(error));
  }
  return result::kOk;
}

int PosixSerialPort::fill_buffer_locked() {
  if (fd_ < 0) return fail(result::kNoSuchPort);
  if (gone_) return fail(result::kNoSuchPort);
  if (buf_begin_ == buf_end_) {
    buf_begin_ = 0;
    buf_end_ = 0;
  } else if (buf_end_ == sizeof buffer_) {
    std::memmove(buffer_, buffer_ + buf_begin_, buf_end_ - buf_begin_);
    buf_end_ -= buf_begin_;
    buf_begin_ = 0;
  }
  const std::size_t space = sizeof buffer_ - buf_end_;
  if (space == 0) return 0;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer_ + buf_end_, space);
    if (n > 0) {
      buf_end_ += static_cast<std::size_t>(n);
      return static_cast<int>(n);
    }
    if (n == 0) return mark_gone();  // hang-up: no data reads as EAGAIN here
    const int error = errno;
    if (error == EINTR) continue;
    if (error == EAGAIN || error == EWOULDBLOCK) return 0;
    if (error == EIO) return mark_gone();
    return fail(map_errno(error));
  }
}

int PosixSerialPort::read_byte() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (buffered_locked() == 0) {
    const int got = fill_buffer_locked();
    if (got < 0) return got;
    if (got == 0) return result::kNoData;
  }
  return buffer_[buf_begin_++];
}

int PosixSerialPort::read_block(std::uint8_t* out, int length) {
  std::lock_guard<std::mutex> lock(mutex_);
  int moved = 0;
  int error = 0;
  while (moved < length) {
    if (buffered_locked() == 0) {
      const int got = fill_buffer_locked();
      if (got < 0) {
        error = got;
        break;
      }
      if (got == 0) break;
    }
    const int take = std::min(length - moved, buffered_locked());
    std::memcpy(out + moved, buffer_ + buf_begin_, static_cast<std::size_t>(take));
    buf_begin_ += static_cast<std::size_t>(take);
    moved += take;
  }
  set_last_transfer_count(moved);
  if (moved > 0) return result::kOk;
  if (error != 0) return error;
  return result::kNoData;
}

int PosixSerialPort::write_byte(std::uint8_t byte) { return write_block(&byte, 1); }

int PosixSerialPort::write_block(const std::uint8_t* data, int length) {
  set_last_transfer_count(0);
  if (length <= 0) return result::kOk;
  const int waiting = transmit_count();
  if (waiting < 0) return waiting;
  const int free_space = kQueueSize - waiting;
  const int amount = std::min(length, std::max(free_space, 0));
  int written = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ < 0 || gone_) return fail(result::kNoSuchPort);
    while (written < amount) {
      const ssize_t n = ::write(fd_, data + written, static_cast<std::size_t>(amount - written));
      if (n > 0) {
        written += static_cast<int>(n);
        continue;
      }
      const int error = n < 0 ? errno : EAGAIN;
      if (error == EINTR) continue;
      if (error == EAGAIN || error == EWOULDBLOCK) break;
      if (error == EIO) return mark_gone();
      return fail(map_errno(error));
    }
  }
  set_last_transfer_count(written);
  if (written >= length) return result::kOk;
  return fail(result::kWriteIncomplete);
}

int PosixSerialPort::read_byte_timeout(int timeout_ms, const IdleHook& idle) {
  int fd, wake;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (buffered_locked() > 0) return buffer_[buf_begin_++];
    if (fd_ < 0 || gone_) return fail(result::kNoSuchPort);
    fd = fd_;
    wake = wake_fd_;
  }
  if (wake_pending_.exchange(false)) {
    std::uint64_t drop;
    [[maybe_unused]] ssize_t n = ::read(wake, &drop, sizeof drop);  // stale wake-up
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  for (;;) {
    int wait_ms = -1;
    if (timeout_ms >= 0) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait_ms = left < 0 ? 0 : static_cast<int>(left);
    }
    if (idle && (wait_ms < 0 || wait_ms > 20)) wait_ms = 20;
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
    const int ready = ::poll(fds, 2, wait_ms);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return fail(result::kGeneralFailure);
    }
    if (fds[1].revents & POLLIN) {
      std::uint64_t drop;
      [[maybe_unused]] ssize_t n = ::read(wake, &drop, sizeof drop);
      wake_pending_.store(false);
      return result::kNoData;
    }
    if (fds[0].revents & POLLNVAL) {
      std::lock_guard<std::mutex> lock(mutex_);
      return mark_gone();
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (buffered_locked() == 0) {
        const int got = fill_buffer_locked();
        if (got < 0) return got;
        // POLLHUP or POLLERR with nothing to read: the device has gone away.
        if (got == 0 && (fds[0].revents & (POLLHUP | POLLERR))) return mark_gone();
      }
      if (buffered_locked() > 0) return buffer_[buf_begin_++];
    }
    if (idle) {
      const int hook = idle();
      if (hook < 0) return fail(hook);
    }
    if (timeout_ms >= 0 && Clock::now() >= deadline) return result::kNoData;
  }
}

void PosixSerialPort::interrupt_wait() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (wake_fd_ < 0) return;
  wake_pending_.store(true);
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(wake_fd_, &one, sizeof one);
}

int PosixSerialPort::close() {
  interrupt_wait();
  int fd, wake;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fd = fd_;
    wake = wake_fd_;
    fd_ = -1;
    wake_fd_ = -1;
    buf_begin_ = buf_end_ = 0;
  }
  if (fd < 0) return result::kOk;
  // Drop DTR and RTS so that the other side sees the line go away.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd, TIOCMBIC, &lines);
  dtr_on_ = false;
  rts_on_ = false;
  const int rc = ::close(fd);
  const int error = errno;
  if (wake >= 0) ::close(wake);
  if (rc != 0 && error != EIO) return fail(map_errno(error));
  return result::kOk;
}

int PosixSerialPort::send_break(int milliseconds) {
  int fd;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fd = fd_;
  }
  if (fd < 0) return fail(result::kNoSuchPort);
  if (::ioctl(fd, TIOCSBRK) != 0) {
    const int error = errno;
    return fail(no_such_ioctl(error) ? result::kNotSupported : map_errno(error));
  }
  const auto end = Clock::now() + std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds);
  int rc = result::kOk;
  while (Clock::now() < end) {
    if (idle_hook_) {
      const int hook = idle_hook_();
      if (hook < 0) {
        rc = hook;
        break;
      }
    }
    const auto left = end - Clock::now();
    std::this_thread::sleep_for(std::min<Clock::duration>(left, std::chrono::milliseconds(10)));
  }
  if (::ioctl(fd, TIOCCBRK) != 0) return fail(map_errno(errno));
  if (rc < 0) return fail(rc);
  return result::kOk;
}

int PosixSerialPort::modem_status() {
  int fd;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fd = fd_;
  }
  if (fd < 0) return fail(result::kNoSuchPort);
  int lines = 0;
  if (::ioctl(fd, TIOCMGET, &lines) != 0) {
    const int error = errno;
    return fail(no_such_ioctl(error) ? result::kNotSupported : map_errno(error));
  }
  int bits = 0;
  if (lines & TIOCM_CTS) bits |= 0x10;
  if (lines & TIOCM_DSR) bits |= 0x20;
  if (lines & TIOCM_RNG) bits |= 0x40;
  if (lines & TIOCM_CAR) bits |= 0x80;
  return bits;
}

int PosixSerialPort::line_status() {
  update_error_flags();
  return error_flags_ & (0x10 | 0x08 | 0x04 | 0x02);
}

int PosixSerialPort::clear_line_errors() {
  update_error_flags();
  error_flags_ = 0;
  return result::kOk;
}

int PosixSerialPort::clear_status() {
  set_status(result::kOk);
  return result::kOk;
}

int PosixSerialPort::dump(const LinePrinter& print) {
  if (!print) return result::kOk;
  const int previous_status = status();
  termios t{};
  bool have_termios = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ >= 0) have_termios = ::tcgetattr(fd_, &t) == 0;
  }
  const int rx = receive_count();
  const int tx = transmit_count();
  const int rx_count = rx < 0 ? 0 : rx;
  const int tx_count = tx < 0 ? 0 : tx;
  const int line = line_status();
  const int modem = modem_status();
  const int lines = modem < 0 ? 0 : modem;
  set_status(previous_status);  // a diagnostic must not change the verdict

  const bool crtscts = have_termios && (t.c_cflag & CRTSCTS) != 0;
  const bool outx = have_termios && (t.c_iflag & IXON) != 0;
  const bool inx = have_termios && (t.c_iflag & IXOFF) != 0;
  const bool inpck = have_termios && (t.c_iflag & INPCK) != 0;
  const int rts_control = crtscts ? 2 : (rts_on_ ? 1 : 0);
  const int dtr_control = dtr_on_ ? 1 : 0;
  const unsigned vmin = have_termios ? t.c_cc[VMIN] : 0;
  const unsigned vtime = have_termios ? t.c_cc[VTIME] : 0;
  const unsigned xon = have_termios ? t.c_cc[VSTART] : 0x11;
  const unsigned xoff = have_termios ? t.c_cc[VSTOP] : 0x13;
  const int flags = error_flags_;

  print("");
  print(c_format("Port type:  POSIX termios  BaudRate: %-6d  ByteSize: %1d  Parity: %1d", baud_,
                 data_bits_, parity_code_));
  print(c_format("StopBits: %1d fBinary: %1d  fRtsControl: %1d", stop_bits_, 1, rts_control));
  print(c_format("Parity: %1d  OutCtsFlow: %1d  OutDsrFlow: %1d  DtrControl: %1d  OutX: %1d  InX: %1d",
                 inpck ? 1 : 0, crtscts ? 1 : 0, dtr_dsr_flow_ ? 1 : 0, dtr_control, outx ? 1 : 0,
                 inx ? 1 : 0));
  print(c_format("Null: %1d  DtrControl: %1d  RtsControl: %1d  XonChar: %02x  XoffChar: %02x", 0,
                 dtr_control, rts_control, xon, xoff));
  print(c_format("VMin: %-5u VTime: %-5u", vmin, vtime));
  print(c_format("RX count/free: %5d/%-5d  TX count/free: %5d/%-5d  BREAK/FE/OE/PE: %d%d%d%d",
                 rx_count, std::max(kQueueSize - rx_count, 0), tx_count,
                 std::max(kQueueSize - tx_count, 0), (line & 0x10) ? 1 : 0, (line & 0x08) ? 1 : 0,
                 (line & 0x02) ? 1 : 0, (line & 0x04) ? 1 : 0));
  print(c_format("CE_BREAK:%d  CE_FRAME:%d  CE_MODE:%d CE_OVERRUN:%d", (flags & 0x10) ? 1 : 0,
                 (flags & 0x08) ? 1 : 0, 0, (flags & 0x02) ? 1 : 0));
  print(c_format("CE_RXOVER:%d CE_RXPARITY:%d CE_TXFULL:%d  CTS/DSR/RI/CD: %d%d%d%d",
                 (flags & 0x01) ? 1 : 0, (flags & 0x04) ? 1 : 0, 0, (lines & 0x10) ? 1 : 0,
                 (lines & 0x20) ? 1 : 0, (lines & 0x40) ? 1 : 0, (lines & 0x80) ? 1 : 0));
  print(c_format("Device: %s%s", device_.c_str(), have_modem_lines_ ? "" : "  (no modem lines)"));
  return result::kOk;
}

}  // namespace orvadw
