#include "link/jbus_link.h"

#include <algorithm>

#include "base/result_codes.h"

namespace orvadw {

namespace {

constexpr auto kIdlePeriod = std::chrono::milliseconds(15);
// How often a waiter looks whether its reader is still there, and how long
// past its time-out it waits for a reader that has gone quiet before giving
// up on it. Neither applies while the reader does its work.
constexpr auto kLivenessPeriod = std::chrono::milliseconds(100);
constexpr auto kWatchdogGrace = std::chrono::milliseconds(250);

// The same for every link; entries past the last used one hold 0.
constexpr JBusLink::BaudEntry kBaudTable[JBusLink::kBaudTableSize] = {
    {300, 1000},    {600, 1000},    {1200, 1000}, {2400, 1000}, {4800, 1000}, {9600, 1000},
    {115200, 1000}, {115200, 1000}, {0, 0},       {0, 0},       {0, 0}};

}  // namespace

JBusLink::~JBusLink() { channel_.close(); }

int JBusLink::baud_count() const {
  int count = 0;
  while (count < kBaudTableSize && kBaudTable[count].baud != 0) ++count;
  return count;
}

int JBusLink::baud_rate(int baud_index) const {
  if (baud_index < 0 || baud_index >= kBaudTableSize) return 0;
  return kBaudTable[baud_index].baud;
}

bool JBusLink::acquire_line() {
  if (line_owner_.load() == std::this_thread::get_id()) return false;
  line_mutex_.lock();
  line_owner_.store(std::this_thread::get_id());
  return true;
}

void JBusLink::release_line() {
  line_owner_.store(std::thread::id());
  line_mutex_.unlock();
}

int JBusLink::connect(int port_number, int baud_index) {
  bool modem_connected = false;
  return connect(port_number, baud_index, 'N', 8, 1, false, modem_connected);
}

int JBusLink::connect(int port_number, int baud_index, char parity, int data_bits, int stop_bits,
                      bool use_modem, bool& modem_connected) {
  if (use_modem) {
    if (modem_connected) return result::kOk;
    // The hook opens the line itself (through a direct connect), so the line
    // is not held while it runs.
    const int answer = modem_hook_ ? modem_hook_(*this) : result::kModemCancelled;
    if (answer != 0) return result::kModemCancelled;
    modem_connected = true;
    if (baud_index >= 0 && baud_index < baud_count()) baud_index_.store(baud_index);
    channel_.start_reader(answer_timeout_.load());
    return result::kOk;
  }

  if (baud_index < 0 || baud_index >= baud_count()) return result::kPortNotOpened;
  // A connect from inside a transaction on the same thread would pull the
  // port from under it.
  if (!acquire_line()) return result::kPortNotOpened;
  int rc = result::kOk;
  const std::uint64_t opened_before = channel_.opened_count();
  const int open_rc =
      channel_.open(this, port_number, kBaudTable[baud_index].baud, parity, data_bits, stop_bits);
  if (channel_.opened_count() != opened_before || open_rc != 0) {
    // Whatever waited on the old line has lost it; a new line owes nothing
    // to the old one's failures.
    end_wait();
    line_opened();
  }
  if (open_rc != 0) {
    rc = result::kPortNotOpened;
  } else {
    inter_char_timeout_.store(kBaudTable[baud_index].inter_char_timeout_ms);
    baud_index_.store(baud_index);
    channel_.start_reader(answer_timeout_.load());
    if (!channel_.reader_running()) {
      channel_.close();
      rc = result::kPortNotOpened;
    }
  }
  release_line();
  return rc;
}

void JBusLink::disconnect() {
  if (!acquire_line()) return;
  channel_.close();
  end_wait();
  release_line();
}

void JBusLink::end_wait() {
  {
    std::lock_guard<std::mutex> lock(buffer_mutex_);
    if (waiting_) line_closed_ = true;
  }
  answer_cv_.notify_all();
}

void JBusLink::cancel() {
  cancel_.store(true);
  {
    // Taken so that a waiter between its check and its sleep cannot miss it.
    std::lock_guard<std::mutex> lock(buffer_mutex_);
  }
  answer_cv_.notify_all();
  // A drain in progress ends at once too.
  channel_.interrupt_read();
}

void JBusLink::clear_cancel() { cancel_.store(false); }

void JBusLink::set_traffic_tap(std::shared_ptr<TrafficTap> tap) {
  std::lock_guard<std::mutex> lock(tap_mutex_);
  has_tap_.store(tap != nullptr);
  tap_ = std::move(tap);
}

void JBusLink::report(TrafficEvent event) {
  if (!has_tap_.load()) return;
  std::shared_ptr<TrafficTap> tap;
  {
    std::lock_guard<std::mutex> lock(tap_mutex_);
    tap = tap_;
  }
  if (tap) tap->on_traffic(event);
}

bool JBusLink::is_connected() const { return channel_.is_open(); }

bool JBusLink::is_alive() const { return channel_.is_alive(); }

std::string JBusLink::last_error_text() const { return channel_.last_error_text(); }

void JBusLink::set_idle_hook(std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(hook_mutex_);
  idle_hook_ = std::move(hook);
  idle_thread_ = std::this_thread::get_id();
}

void JBusLink::set_modem_connect_hook(ModemConnectHook hook) { modem_hook_ = std::move(hook); }

JBusLink::Clock::time_point JBusLink::last_byte_time() const {
  std::lock_guard<std::mutex> lock(buffer_mutex_);
  return last_byte_time_;
}

int JBusLink::wait_answer(Bytes& out, bool purge_first) {
  return wait_for_answer(out, purge_first, Clock::time_point::max(), answer_timeout_.load());
}

int JBusLink::wait_for_answer(Bytes& out, bool purge_first, Clock::time_point deadline,
                              int answer_timeout_ms) {
  out.clear();
  if (cancel_.load()) return result::kCancelled;
  // Without a reader nothing would ever end the wait.
  if (!channel_.is_open() || !channel_.reader_running()) return result::kNoAnswer;
  const auto started = Clock::now();
  {
    std::lock_guard<std::mutex> lock(buffer_mutex_);
    buffer_.clear();
    waiting_ = true;
    line_closed_ = false;
  }
  if (purge_first) {
    Bytes thrown;
    // The port must not be closed under the purge by another thread.
    const bool take = !line_held_here();
    if (take) acquire_line();
    if (channel_.is_open()) channel_.purge(has_tap() ? &thrown : nullptr);
    if (take) release_line();
    if (!thrown.empty()) {
      report({TrafficEvent::Kind::kDiscarded, Clock::now(), std::move(thrown), 0, 0, {}});
    }
  }
  channel_.set_read_timeout(answer_timeout_ms);
  channel_.arm();

  std::function<void()> idle;
  {
    std::lock_guard<std::mutex> lock(hook_mutex_);
    if (idle_hook_ && idle_thread_ == std::this_thread::get_id()) idle = idle_hook_;
  }
  const auto answer_limit = std::chrono::milliseconds(std::max(answer_timeout_ms, 0));
  const auto gap_limit = std::chrono::milliseconds(std::max(inter_char_timeout_.load(), 0));

  enum class End { kReader, kCancel, kCutOff };
  End why = End::kReader;
  std::unique_lock<std::mutex> lock(buffer_mutex_);
  while (waiting_) {
    const auto now = Clock::now();
    // The reader ends every answer by itself; this only catches a reader
    // that stopped without a word (its line closed by another thread).
    const auto watchdog = buffer_.empty() ? started + answer_limit + kWatchdogGrace
                                          : last_byte_time_ + gap_limit + kWatchdogGrace;
    auto wake = std::min({deadline, watchdog, now + kLivenessPeriod});
    if (idle) wake = std::min(wake, now + kIdlePeriod);
    answer_cv_.wait_until(lock, wake,
                          [this] { return !waiting_ || line_closed_ || cancel_.load(); });
    if (cancel_.load()) {
      why = End::kCancel;
      break;
    }
    if (!waiting_) break;
    const auto after = Clock::now();
    if (line_closed_ || after >= deadline || after >= watchdog || !channel_.reader_running()) {
      why = End::kCutOff;
      break;
    }
    if (idle) {
      lock.unlock();
      idle();
      lock.lock();
    }
  }
  waiting_ = false;
  line_closed_ = false;
  if (why != End::kCancel) out = buffer_;
  const auto first_byte = first_byte_time_;
  lock.unlock();
  // The reader may still be on a read for this wait; its byte must not land
  // in the next answer.
  if (why != End::kReader) channel_.disarm();
  if (!out.empty() && has_tap()) {
    report({TrafficEvent::Kind::kReceived, first_byte, out, 0, 0, {}});
  }
  if (why == End::kCancel) return result::kCancelled;
  return out.empty() ? result::kNoAnswer : result::kOk;
}

int JBusLink::on_byte(int value) {
  // The waiter is woken after the lock is released, so that it does not wake
  // only to block on the mutex the reader still holds.
  std::unique_lock<std::mutex> lock(buffer_mutex_);
  if (value < 0) {
    // A failed read (the device went away) ends the answer; the code is not
    // a byte of it.
    if (waiting_) {
      waiting_ = false;
      lock.unlock();
      answer_cv_.notify_all();
    }
    return -1;
  }
  last_byte_time_ = Clock::now();
  if (!waiting_) return -1;
  if (buffer_.empty()) first_byte_time_ = last_byte_time_;
  buffer_.push_back(static_cast<std::uint8_t>(value & 0xFF));
  channel_.set_read_timeout(inter_char_timeout_.load());
  if (static_cast<int>(buffer_.size()) >= expected_length_.load()) {
    waiting_ = false;
    lock.unlock();
    answer_cv_.notify_all();
  } else {
    channel_.arm();
  }
  return 0;
}

void JBusLink::on_timeout() {
  {
    std::lock_guard<std::mutex> lock(buffer_mutex_);
    waiting_ = false;
  }
  answer_cv_.notify_all();
}

int JBusLink::send_text(const std::string& text) {
  const Bytes bytes(text.begin(), text.end());
  report({TrafficEvent::Kind::kSent, Clock::now(), bytes, 0, 0, {}});
  // The modem worker sends without a transaction: the line is held so that
  // another thread cannot close the port under the write.
  const bool take = !line_held_here();
  if (take) acquire_line();
  const int rc = channel_.is_open() ? channel_.send(bytes) : result::kNoSuchPort;
  if (take) release_line();
  return rc < 0 ? rc : result::kOk;
}

int JBusLink::receive_text(std::string& out) {
  // A transaction leaves its own answer length behind (8 after a write): a
  // text answer must never be cut to it.
  set_expected_length(kDefaultExpectedLength);
  Bytes bytes;
  const int rc = wait_for_answer(bytes, false, Clock::time_point::max(), answer_timeout_.load());
  out.assign(bytes.begin(), bytes.end());
  return rc;
}

}  // namespace orvadw
