#include "app/termination_signal.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>

namespace orvadw {

namespace {

std::atomic<int> write_end{-1};
std::atomic<int> ending_status{0};

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

extern "C" void on_termination_while_ending(int) { ::_exit(ending_status.load()); }

void set_handler(int signal_number, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(signal_number, &action, nullptr);
}

bool ours(int signal_number) {
  struct sigaction now {};
  return ::sigaction(signal_number, nullptr, &now) == 0 && now.sa_handler == on_termination;
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

void exit_on_termination_signal(int status) {
  ending_status.store(status);
  // What the program has said must not be lost with the buffers.
  std::fflush(stdout);
  std::fflush(stderr);
  set_handler(SIGTERM, on_termination_while_ending);
  set_handler(SIGINT, on_termination_while_ending);
}

TerminationSignal::~TerminationSignal() {
  if (write_end.load() == fds_[1]) {
    for (const int signal_number : {SIGTERM, SIGINT}) {
      if (ours(signal_number)) set_handler(signal_number, SIG_DFL);
    }
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
