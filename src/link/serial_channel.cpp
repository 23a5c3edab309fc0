#include "link/serial_channel.h"

#include <cerrno>
#include <ctime>

#include "base/ascii_case.h"
#include "link/serial_driver.h"

namespace orvadw {

namespace {

using Clock = SerialChannel::Clock;

// Pauses for a few milliseconds with sub-millisecond accuracy without
// burning a core: sleeps to an absolute point of the monotonic clock, so the
// pause is never shorter than asked and oversleeps only by the scheduler's
// latency (tens of microseconds against delays of milliseconds).
void precise_delay(double seconds) {
  if (seconds <= 0) return;
  const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(seconds));
  const auto since_epoch = std::chrono::duration_cast<std::chrono::nanoseconds>(
      end.time_since_epoch());
  timespec deadline{};
  deadline.tv_sec = static_cast<time_t>(since_epoch.count() / 1000000000);
  deadline.tv_nsec = static_cast<long>(since_epoch.count() % 1000000000);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
  while (Clock::now() < end) std::this_thread::yield();
}

}  // namespace

SerialChannel::~SerialChannel() { close(); }

int SerialChannel::open(SerialReceiver* receiver, int port_number, int baud, char parity,
                        int data_bits, int stop_bits) {
  if (receiver == nullptr) return -1;
  {
    std::lock_guard<std::mutex> lock(delivery_mutex_);
    receiver_ = receiver;
  }
  // A port whose device went away is never kept: reopening is how the line
  // comes back after the adapter is plugged in again.
  if (port_ && port_->is_alive() && port_number == port_number_ && baud == baud_ &&
      iequals(std::string_view(&parity, 1), std::string_view(&parity_, 1)) && data_bits == data_bits_) {
    if (stop_bits != stop_bits_ && port_->set_line(baud, parity, data_bits, stop_bits) == 0) {
      stop_bits_ = stop_bits;
    }
    return 0;
  }
  close();
  std::unique_ptr<SerialPort> port = open_serial_port(port_number - 1, baud, parity, data_bits,
                                                      stop_bits);
  if (port->status() != 0) {
    last_error_ = port->status();
    last_error_text_ = port->error_text();
    port->close();
    return -1;
  }
  last_error_ = 0;
  last_error_text_.clear();
  {
    std::lock_guard<std::mutex> lock(port_mutex_);
    port_ = std::move(port);
  }
  opened_count_.fetch_add(1);
  port_number_ = port_number;
  baud_ = baud;
  parity_ = parity;
  data_bits_ = data_bits;
  stop_bits_ = stop_bits;
  return 0;
}

void SerialChannel::close() {
  stop_reader();
  std::unique_ptr<SerialPort> closing;
  {
    std::lock_guard<std::mutex> lock(port_mutex_);
    closing = std::move(port_);
  }
  if (closing) closing->close();
  port_number_ = 0;
  baud_ = 0;
}

bool SerialChannel::is_open() const {
  std::lock_guard<std::mutex> lock(port_mutex_);
  return port_ != nullptr;
}

bool SerialChannel::is_alive() const {
  std::lock_guard<std::mutex> lock(port_mutex_);
  return port_ != nullptr && port_->is_alive();
}

void SerialChannel::interrupt_read() {
  std::lock_guard<std::mutex> lock(port_mutex_);
  if (port_) port_->interrupt_wait();
}

std::string SerialChannel::last_error_text() const { return last_error_text_; }

int SerialChannel::wait_transmit_empty() {
  const auto start = Clock::now();
  for (;;) {
    const int count = port_->transmit_count();
    if (count == 0) return 0;
    if (count < 0) {
      // A driver that cannot tell has nothing we could wait for.
      if (count == result::kNotSupported) return 0;
      return count;
    }
    if (Clock::now() - start >= std::chrono::milliseconds(100)) return 0;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

int SerialChannel::send(const std::vector<std::uint8_t>& bytes) {
  if (!port_) return result::kNoSuchPort;
  const float delay = byte_delay_.load();
  const std::size_t step = delay > 0 ? 1 : bytes.size();
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t chunk = std::min(step, bytes.size() - done);
    std::size_t sent = 0;
    const auto start = Clock::now();
    while (sent < chunk) {
      const int rc = port_->write_block(bytes.data() + done + sent, static_cast<int>(chunk - sent));
      const int moved = port_->last_transfer_count();
      sent += moved > 0 ? static_cast<std::size_t>(moved) : 0;
      if (rc == 0) break;
      if (rc != result::kWriteIncomplete) return rc;
      // The output queue is full: give it the time one queue takes to drain.
      if (Clock::now() - start > std::chrono::milliseconds(100)) return rc;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    done += chunk;
    const int drained = wait_transmit_empty();
    if (drained < 0) return drained;
    if (delay > 0) precise_delay(delay);
  }
  return 0;
}

int SerialChannel::purge(std::vector<std::uint8_t>* discarded) {
  if (!port_) return result::kRxDrainFailed;
  std::uint8_t scratch[64];
  // Bounded: a line that chatters faster than we read must not hold us.
  for (int round = 0; round < 4096; ++round) {
    const int rc = port_->read_block(scratch, sizeof scratch);
    if (rc == result::kNoData) break;
    if (rc == result::kNotSupported) {
      // A driver without block reads is drained a byte at a time.
      int got = 0;
      for (int i = 0; i < 65536 && (got = port_->read_byte()) >= 0; ++i) {
        if (discarded != nullptr) discarded->push_back(static_cast<std::uint8_t>(got));
      }
      if (got < 0 && got != result::kNoData) return result::kRxDrainFailed;
      break;
    }
    if (rc < 0) return result::kRxDrainFailed;
    const int moved = port_->last_transfer_count();
    if (moved <= 0) break;
    if (discarded != nullptr) discarded->insert(discarded->end(), scratch, scratch + moved);
  }
  const int tx = port_->purge_transmit();
  // A driver without a transmit queue has nothing to purge.
  if (tx < 0 && tx != result::kNotSupported) return result::kTxPurgeFailed;
  return 0;
}

int SerialChannel::drain_until_silent(Clock::time_point last_seen,
                                      std::chrono::milliseconds silence,
                                      Clock::time_point deadline, Clock::time_point* last_byte,
                                      std::vector<std::uint8_t>* thrown,
                                      const std::atomic<bool>* stop) {
  if (!port_) return result::kNoSuchPort;
  int discarded = 0;
  int rc = 0;
  {
    std::lock_guard<std::mutex> lock(lock_);
    for (;;) {
      if (stop != nullptr && stop->load()) break;
      const auto now = Clock::now();
      const auto quiet_at = last_seen + silence;
      if (now >= quiet_at || now >= deadline) break;
      const auto until = std::min(quiet_at, deadline);
      const int wait_ms = static_cast<int>(
          std::chrono::ceil<std::chrono::milliseconds>(until - now).count());
      const int got = port_->read_byte_timeout(wait_ms, {});
      if (got >= 0) {
        last_seen = Clock::now();
        ++discarded;
        if (thrown != nullptr) thrown->push_back(static_cast<std::uint8_t>(got));
        continue;
      }
      if (got == result::kNoData) continue;
      rc = got;
      break;
    }
  }
  if (last_byte != nullptr) *last_byte = last_seen;
  return rc < 0 ? rc : discarded;
}

int SerialChannel::start_reader(int read_timeout_ms) {
  if (running_.load()) return 0;
  if (reader_.joinable()) {
    // Told to stop from inside the receiver: let it finish first.
    if (reader_.get_id() == std::this_thread::get_id()) return 0;
    stop_reader();
  }
  if (!port_) return 0;
  set_read_timeout(read_timeout_ms);
  {
    std::lock_guard<std::mutex> lock(event_mutex_);
    started_ = false;
    stopped_ = false;
    go_ = false;
  }
  running_.store(true);
  try {
    reader_ = std::thread(&SerialChannel::reader_loop, this);
  } catch (...) {
    running_.store(false);
    return 0;
  }
  std::unique_lock<std::mutex> lock(event_mutex_);
  event_cv_.wait(lock, [this] { return started_ || stopped_; });
  return 1;
}

void SerialChannel::stop_reader() {
  if (!reader_.joinable()) return;
  if (reader_.get_id() == std::this_thread::get_id()) {
    // Asked from inside the receiver: the reader ends after this delivery.
    running_.store(false);
    return;
  }
  running_.store(false);
  {
    std::lock_guard<std::mutex> lock(event_mutex_);
    started_ = false;
    go_ = true;
  }
  event_cv_.notify_all();
  std::unique_lock<std::mutex> lock(event_mutex_);
  // A wake-up can miss a reader that is just entering its read; repeat it.
  while (!stopped_) {
    lock.unlock();
    if (port_) port_->interrupt_wait();
    lock.lock();
    event_cv_.wait_for(lock, std::chrono::milliseconds(20), [this] { return stopped_; });
  }
  lock.unlock();
  reader_.join();
}

void SerialChannel::set_read_timeout(int milliseconds) { read_timeout_.store(milliseconds); }

void SerialChannel::arm() {
  {
    std::lock_guard<std::mutex> lock(event_mutex_);
    go_ = true;
  }
  event_cv_.notify_all();
}

void SerialChannel::disarm() {
  // Both locks: the reader samples the generation with its go request and
  // compares it again when it delivers.
  std::lock_guard<std::mutex> delivery(delivery_mutex_);
  std::lock_guard<std::mutex> lock(event_mutex_);
  generation_.fetch_add(1);
  go_ = false;
}

void SerialChannel::reader_loop() {
  {
    std::lock_guard<std::mutex> lock(event_mutex_);
    started_ = true;
  }
  event_cv_.notify_all();
  for (;;) {
    std::uint64_t generation;
    {
      std::unique_lock<std::mutex> lock(event_mutex_);
      event_cv_.wait(lock, [this] { return go_; });
      go_ = false;
      generation = generation_.load();
    }
    if (!running_.load() || !port_) break;
    int value = result::kNoData;
    bool withdrawn = false;
    {
      std::lock_guard<std::mutex> lock(lock_);
      // Withdrawn before the read began: reading now could take the first
      // byte of the next answer, which only goes out after a drain that
      // needs this lock.
      withdrawn = generation != generation_.load();
      // A request withdrawn while the read waits ends the read within a few
      // milliseconds: it would otherwise hold the port for the whole
      // time-out, and with it the next drain.
      const IdleHook still_wanted = [this, generation] {
        return generation != generation_.load() || !running_.load() ? result::kNoData : 0;
      };
      if (!withdrawn) value = port_->read_byte_timeout(read_timeout_.load(), still_wanted);
    }
    if (withdrawn) continue;
    std::lock_guard<std::mutex> delivery(delivery_mutex_);
    if (!running_.load()) break;
    if (generation != generation_.load() || receiver_ == nullptr) continue;
    if (value == result::kNoData) {
      receiver_->on_timeout();
    } else {
      receiver_->on_byte(value);
    }
  }
  {
    std::lock_guard<std::mutex> lock(event_mutex_);
    stopped_ = true;
  }
  event_cv_.notify_all();
}

}  // namespace orvadw
