#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "link/posix_serial_port.h"

namespace orvadw::sim {

namespace {

// A partial request is noise once the line has been quiet this long. A
// Bluetooth client spaces the bytes of a write 20 ms apart, and a loaded PC
// may pause a writer for a few milliseconds, so the floor is well above both.
constexpr auto kMinSilence = std::chrono::milliseconds(50);
// Answer bytes waiting for a client that does not read, at most.
constexpr std::size_t kMaxQueued = 64 * 1024;
// How often a terminal without a client is looked at again.
constexpr auto kIdleRecheck = std::chrono::milliseconds(20);

std::string errno_text(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

PtyServer::PtyServer(ProgramOptions options)
    : options_(std::move(options)),
      instrument_(options_.instrument),
      faults_(options_.faults),
      assembler_(instrument_.jbus()) {
  if (options_.baud > 0) {
    char_time_ = std::chrono::nanoseconds(10'000'000'000LL / options_.baud);
  }
  silence_ = std::max<std::chrono::nanoseconds>(char_time_ * 35 / 10, kMinSilence);
  if (options_.modem) {
    HayesModem::Options m;
    m.dial_answer = options_.dial_answer;
    m.dial_delay_ms = options_.dial_delay_ms;
    m.guard_ms = options_.guard_ms;
    m.baud = options_.baud > 0 ? options_.baud : 9600;
    modem_ = std::make_unique<HayesModem>(m);
  }
}

PtyServer::~PtyServer() { close(); }

int PtyServer::open(std::string& error) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) {
    error = errno_text("cannot create a pseudo-terminal");
    return -1;
  }
  char name[256] = {};
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
      ::ptsname_r(master_, name, sizeof name) != 0) {
    error = errno_text("cannot unlock the pseudo-terminal");
    close();
    return -1;
  }
  slave_path_ = name;
  const int flags = ::fcntl(master_, F_GETFL);
  ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);

  // Raw mode stays with the terminal, so a client that does not set it
  // still gets the bytes unchanged and no echo.
  const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) {
    error = errno_text("cannot open " + slave_path_);
    close();
    return -1;
  }
  termios tio{};
  if (::tcgetattr(slave, &tio) == 0) {
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    // A pace the termios table lacks (or none) shows as 9600.
    speed_t speed = B9600;
    PosixSerialPort::speed_constant(options_.baud, &speed);
    ::cfsetspeed(&tio, speed);
    ::tcsetattr(slave, TCSANOW, &tio);
  }
  ::close(slave);

  if (!options_.link.empty()) {
    struct stat st {};
    if (::lstat(options_.link.c_str(), &st) == 0) {
      if (!S_ISLNK(st.st_mode)) {
        error = options_.link + " exists and is not a symbolic link; it is left alone";
        close();
        return -1;
      }
      ::unlink(options_.link.c_str());  // left over from an earlier run
    }
    if (::symlink(slave_path_.c_str(), options_.link.c_str()) != 0) {
      error = errno_text("cannot make the link " + options_.link);
      close();
      return -1;
    }
    link_made_ = true;
  }
  return 0;
}

void PtyServer::close() {
  if (link_made_) {
    // Only our own link goes; someone may have replaced it meanwhile.
    char target[PATH_MAX] = {};
    const ssize_t n = ::readlink(options_.link.c_str(), target, sizeof target - 1);
    if (n > 0 && slave_path_ == std::string(target, static_cast<std::size_t>(n))) {
      ::unlink(options_.link.c_str());
    }
    link_made_ = false;
  }
  if (master_ >= 0) {
    ::close(master_);
    master_ = -1;
  }
}

void PtyServer::client_gone() {
  client_present_ = false;
  out_.clear();
  want_write_ = false;
  assembler_.discard_partial();
  if (modem_) modem_->reset();  // the PC dropped DTR
  // Unread answers would greet the next client, so they go; but only they:
  // a client that came back at once may already have written its first
  // request, which waits on the master's side and must be served. The
  // answers wait on the terminal's side, reached through a descriptor of
  // our own (flushing the master would take the request with them).
  const int slave = ::open(slave_path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave >= 0) {
    ::tcflush(slave, TCIFLUSH);
    ::close(slave);
  }
}

bool PtyServer::at_instrument_speed() {
  if (options_.baud <= 0) return true;
  // The master sees the termios the client set on its side: a request sent
  // at another speed is only noise to an instrument.
  termios tio{};
  if (::tcgetattr(master_, &tio) != 0) return true;
  speed_t wanted = B9600;
  PosixSerialPort::speed_constant(options_.baud, &wanted);
  return ::cfgetospeed(&tio) == wanted;
}

void PtyServer::expire_partial(Clock::time_point now) {
  if (assembler_.pending() > 0 && now - last_byte_ >= silence_) {
    assembler_.discard_partial();
  }
}

void PtyServer::from_pc(const std::uint8_t* data, std::size_t length, Clock::time_point now) {
  if (modem_) {
    modem_->from_pc(data, length, now);
    pump_modem(now);
  } else {
    to_instrument(data, length, now);
  }
}

void PtyServer::pump_modem(Clock::time_point now) {
  const std::vector<std::uint8_t> said = modem_->take_for_pc();
  if (!said.empty()) send(said, now);
  const std::vector<std::uint8_t> data = modem_->take_for_instrument();
  if (!data.empty()) to_instrument(data.data(), data.size(), now);
}

void PtyServer::to_instrument(const std::uint8_t* data, std::size_t length,
                              Clock::time_point now) {
  std::vector<std::vector<std::uint8_t>> frames;
  for (std::size_t i = 0; i < length; ++i) {
    expire_partial(now);
    if (assembler_.pending() == 0) first_byte_ = now;
    last_byte_ = now;
    assembler_.push(data[i], frames);
    for (const auto& frame : frames) answer(frame, now);
    frames.clear();
  }
}

void PtyServer::answer(const std::vector<std::uint8_t>& frame, Clock::time_point now) {
  // The request counts as received once its own wire time has passed.
  Clock::time_point received = now;
  if (char_time_.count() > 0) {
    const Clock::time_point start = std::max(first_byte_, in_free_);
    const Clock::time_point on_wire = start + std::chrono::duration_cast<Clock::duration>(char_time_ * static_cast<long>(frame.size()));
    received = std::max(now, on_wire);
    in_free_ = received;
  }
  const std::vector<std::uint8_t> raw = instrument_.answer(frame);
  if (raw.empty()) return;
  FaultedAnswer out = faults_.apply(raw);
  if (out.bytes.empty()) return;
  ++answered_;
  if ((raw[1] & 0x80) || out.exception) ++exceptions_;
  send(out.bytes, received + std::chrono::milliseconds(out.delay_ms));
}

void PtyServer::send(const std::vector<std::uint8_t>& bytes, Clock::time_point start) {
  if (!client_present_ || out_.size() + bytes.size() > kMaxQueued) {
    // Nobody would read it and the next client must not get it; or a client
    // that asks and never reads would make the queue grow without end.
    unsent_bytes_ += bytes.size();
    return;
  }
  // One line: bytes leave in order, one character time apart when paced. A
  // byte is handed over when its stop bit has gone, as a UART delivers it.
  Clock::time_point at = std::max(start, out_free_);
  for (std::uint8_t b : bytes) {
    at += char_time_;
    out_.push_back(Due{at, b});
  }
  out_free_ = at;
}

bool PtyServer::flush(Clock::time_point now, std::string& error) {
  std::uint8_t buffer[512];
  while (!out_.empty() && out_.front().at <= now) {
    std::size_t n = 0;
    while (n < sizeof buffer && n < out_.size() && out_[n].at <= now) {
      buffer[n] = out_[n].byte;
      ++n;
    }
    const ssize_t written = ::write(master_, buffer, n);
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        want_write_ = true;  // the client is slow to read: wait for room
        return true;
      }
      if (errno == EIO) {
        client_gone();
        return true;
      }
      error = errno_text("cannot write to the pseudo-terminal");
      return false;
    }
    out_.erase(out_.begin(), out_.begin() + written);
  }
  want_write_ = false;
  return true;
}

bool PtyServer::read_master(Clock::time_point now, std::string& error) {
  std::uint8_t buffer[4096];
  for (;;) {
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n > 0) {
      if (at_instrument_speed()) {
        from_pc(buffer, static_cast<std::size_t>(n), now);
      } else {
        wrong_speed_bytes_ += static_cast<std::uint64_t>(n);
      }
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return true;
    if (n == 0 || errno == EIO) {
      // The last client closed its side.
      if (client_present_) client_gone();
      return true;
    }
    error = errno_text("cannot read the pseudo-terminal");
    return false;
  }
}

int PtyServer::run(int stop_fd, std::string& error) {
  if (master_ < 0) {
    error = "the pseudo-terminal is not open";
    return -1;
  }
  for (;;) {
    Clock::time_point now = Clock::now();
    if (modem_) {
      modem_->tick(now);
      pump_modem(now);
    }
    expire_partial(now);
    if (!flush(now, error)) return -1;

    // Sleep until the next thing to do.
    Clock::time_point wake = Clock::time_point::max();
    if (!out_.empty() && !want_write_) wake = std::min(wake, out_.front().at);
    if (assembler_.pending() > 0) wake = std::min(wake, last_byte_ + silence_);
    if (modem_) {
      if (const auto d = modem_->next_deadline()) wake = std::min(wake, *d);
    }
    if (!client_present_) wake = std::min(wake, now + kIdleRecheck);

    pollfd fds[2] = {{stop_fd, POLLIN, 0}, {-1, 0, 0}};
    if (client_present_) {
      fds[1].fd = master_;
      fds[1].events = static_cast<short>(POLLIN | (want_write_ ? POLLOUT : 0));
    }
    timespec timeout{};
    timespec* timeout_ptr = nullptr;
    if (wake != Clock::time_point::max()) {
      const auto left = std::max<Clock::duration>(wake - now, Clock::duration::zero());
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
      timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
      timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
      timeout_ptr = &timeout;
    }
    const int ready = ::ppoll(fds, 2, timeout_ptr, nullptr);
    if (ready < 0 && errno != EINTR) {
      error = errno_text("poll failed");
      return -1;
    }
    if (ready > 0 && (fds[0].revents & POLLIN)) return 0;
    now = Clock::now();

    if (!client_present_) {
      // Without a client the master reports a hang-up at once, so it is only
      // looked at now and then; a client that opened shows as no hang-up.
      pollfd probe{master_, POLLIN, 0};
      if (::poll(&probe, 1, 0) < 0) continue;
      if (probe.revents & POLLNVAL) {
        error = "the pseudo-terminal was closed";
        return -1;
      }
      if (!(probe.revents & POLLHUP)) client_present_ = true;
      if (probe.revents & POLLIN) {
        if (!read_master(now, error)) return -1;
      }
      continue;
    }
    if (fds[1].revents & POLLNVAL) {
      error = "the pseudo-terminal was closed";
      return -1;
    }
    if (fds[1].revents & POLLIN) {
      if (!read_master(now, error)) return -1;
    }
    if (client_present_ && (fds[1].revents & (POLLHUP | POLLERR)) && !(fds[1].revents & POLLIN)) {
      client_gone();
    }
  }
}

std::vector<std::pair<std::string, std::uint64_t>> PtyServer::counts() const {
  const InstrumentCounters c = instrument_.counters();
  const FaultCounters f = faults_.counters();
  std::vector<std::pair<std::string, std::uint64_t>> out = {
      {"frames", c.requests},
      {"answered", answered_},
      {"exceptions", exceptions_},
      {"ignored", c.ignored + assembler_.rejected_frames()},
      {"writes", c.writes},
      {"dropped", f.dropped},
      {"corrupted_bytes", f.corrupted_bytes},
      {"garbage", f.garbage},
      {"wrong_slave", f.wrong_slave},
      {"late", f.late},
      {"discarded_bytes", assembler_.discarded_bytes()},
      {"unsent_bytes", unsent_bytes_},
      {"wrong_speed_bytes", wrong_speed_bytes_},
  };
  if (modem_) {
    const ModemCounters m = modem_->counters();
    out.emplace_back("modem_commands", m.commands);
    out.emplace_back("modem_dials", m.dials);
    out.emplace_back("modem_connects", m.connects);
    out.emplace_back("modem_escapes", m.escapes);
    out.emplace_back("modem_hangups", m.hangups);
  }
  return out;
}

}  // namespace orvadw::sim
