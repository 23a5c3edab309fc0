#pragma once
// Turns SIGTERM and SIGINT into a call on the user-interface thread, so that
// a program asked to stop (by a session ending, a service manager or a
// terminal) leaves through its normal exit path and keeps its last folder.
// The signal handler only writes one byte into a pipe that the event loop
// watches.
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace orvadw {

class TerminationSignal : public QObject {
  Q_OBJECT

 public:
  // Installs the handlers; on_signal runs on this object's thread after each
  // signal. One object at a time: a second one takes the handlers over.
  // When it goes, the default actions come back, unless
  // exit_on_termination_signal() came first.
  explicit TerminationSignal(std::function<void()> on_signal, QObject* parent = nullptr);
  ~TerminationSignal() override;
  TerminationSignal(const TerminationSignal&) = delete;
  TerminationSignal& operator=(const TerminationSignal&) = delete;

  bool installed() const { return notifier_ != nullptr; }

 private:
  void drain();

  std::function<void()> on_signal_;
  QSocketNotifier* notifier_ = nullptr;
  int fds_[2] = {-1, -1};
};

// For a program whose work is done and saved and which is now ending: a
// further request (a second Ctrl+C, a service manager repeating itself) must
// not kill it by signal on its way out, nor wait on it; from here on SIGTERM
// and SIGINT end the process at once with status.
void exit_on_termination_signal(int status);

}  // namespace orvadw
