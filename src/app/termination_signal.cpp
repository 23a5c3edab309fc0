#include "app/termination_signal.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace orvadw {

namespace {

std::atomic<int> write_end{-1};

extern "C" void on_termination(int) {
  const int saved = errno;
  const int fd = write_end.load();
  if (fd >= 0) {
    const char byte = 1;
    // Async-signal-safe; a full pipe already holds a pending wake-up.
    [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
  }
  errno = saved;
}

void set_handler(int signal_number, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(signal_number, &action, nullptr);
}

}  // namespace

TerminationSignal::TerminationSignal(std::function<void()> on_signal, QObject* parent)
    : QObject(parent), on_signal_(std::move(on_signal)) {
  if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
    fds_[0] = fds_[1] = -1;
    return;
  }
  notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { drain(); });
  write_end.store(fds_[1]);
  set_handler(SIGTERM, on_termination);
  set_handler(SIGINT, on_termination);
}

TerminationSignal::~TerminationSignal() {
  if (write_end.load() == fds_[1]) {
    set_handler(SIGTERM, SIG_DFL);
    set_handler(SIGINT, SIG_DFL);
    write_end.store(-1);
  }
  delete notifier_;
  notifier_ = nullptr;
  for (int& fd : fds_) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

void TerminationSignal::drain() {
  char buffer[64];
  bool signalled = false;
  while (::read(fds_[0], buffer, sizeof buffer) > 0) signalled = true;
  if (signalled && on_signal_) on_signal_();
}

}  // namespace orvadw
