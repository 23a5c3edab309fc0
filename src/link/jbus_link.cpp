#include "link/jbus_link.h"

#include <algorithm>

#include "base/result_codes.h"

namespace orvadw {

namespace {

constexpr auto kIdlePeriod = std::chrono::milliseconds(15);

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
  if (channel_.open(this, port_number, kBaudTable[baud_index].baud, parity, data_bits,
                    stop_bits) != 0) {
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
  release_line();
}

bool JBusLink::is_connected() const { return channel_.is_open(); }

bool JBusLink::is_alive() const { return channel_.is_alive(); }

std::string JBusLink::last_error_text() const { return channel_.last_error_text(); }

void JBusLink::set_idle_hook(std::function<void()> hook) {
  idle_hook_ = std::move(hook);
  idle_thread_ = std::this_thread::get_id();
}

void JBusLink::set_modem_connect_hook(ModemConnectHook hook) { modem_hook_ = std::move(hook); }

JBusLink::Clock::time_point JBusLink::last_byte_time() const {
  std::lock_guard<std::mutex> lock(buffer_mutex_);
  return last_byte_time_;
}

int JBusLink::wait_answer(Bytes& out, bool purge_first) {
  return wait_for_answer(out, purge_first, Clock::time_point::max());
}

int JBusLink::wait_for_answer(Bytes& out, bool purge_first, Clock::time_point deadline) {
  out.clear();
  // Without a reader nothing would ever end the wait.
  if (!channel_.is_open() || !channel_.reader_running()) return result::kNoAnswer;
  {
    std::lock_guard<std::mutex> lock(buffer_mutex_);
    buffer_.clear();
    waiting_ = true;
  }
  if (purge_first) channel_.purge();
  channel_.set_read_timeout(answer_timeout_.load());
  channel_.arm();

  const bool run_idle = idle_hook_ && idle_thread_ == std::this_thread::get_id();
  bool cut_off = false;
  std::unique_lock<std::mutex> lock(buffer_mutex_);
  while (waiting_) {
    // Only a thread with an idle hook needs to wake before the answer: the
    // others sleep until a byte, a time-out or the deadline.
    auto wake = deadline;
    if (run_idle) wake = std::min(deadline, Clock::now() + kIdlePeriod);
    if (wake == Clock::time_point::max()) {
      answer_cv_.wait(lock, [this] { return !waiting_; });
    } else {
      answer_cv_.wait_until(lock, wake, [this] { return !waiting_; });
    }
    if (!waiting_) break;
    if (Clock::now() >= deadline) {
      waiting_ = false;
      cut_off = true;
      break;
    }
    if (run_idle) {
      lock.unlock();
      idle_hook_();
      lock.lock();
    }
  }
  out = buffer_;
  lock.unlock();
  // The reader may still be on a read for this wait; its byte must not land
  // in the next answer.
  if (cut_off) channel_.disarm();
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
  const int rc = channel_.send(bytes);
  return rc < 0 ? rc : result::kOk;
}

int JBusLink::receive_text(std::string& out) {
  Bytes bytes;
  const int rc = wait_answer(bytes, false);
  out.assign(bytes.begin(), bytes.end());
  return rc;
}

}  // namespace orvadw
