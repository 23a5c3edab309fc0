#include "sim/sim_serial_port.h"

#include <algorithm>
#include <cctype>

namespace orvadw::sim {

namespace {

// A partial request after this much silence is noise. The in-process wire
// has no byte times, but a Bluetooth client spaces the bytes of a write
// 20 ms apart, so the limit stays well above that.
constexpr auto kMinSilence = std::chrono::milliseconds(100);

std::chrono::microseconds silence_for(int baud) {
  const auto chars = std::chrono::microseconds(35'000'000LL / std::max(baud, 1));  // 3.5 x 10 bits
  return std::max<std::chrono::microseconds>(chars, kMinSilence);
}

// Bytes kept for a reader that never reads, at most.
constexpr std::size_t kMaxReceived = 64 * 1024;

}  // namespace

SimSerialPort::SimSerialPort(std::shared_ptr<SimWire> wire, int port_index, int failure_code)
    : SerialPort(port_index, kDriverKind),
      wire_(std::move(wire)),
      assembler_(wire_ ? wire_->instrument()->jbus() : -1) {
  if (!wire_) {
    closed_ = true;
    set_status(failure_code != 0 ? failure_code : result::kNoSuchPort);
    return;
  }
  std::lock_guard lock(wire_->ports_mutex);
  wire_->ports.insert(this);
}

SimSerialPort::~SimSerialPort() { detach_from_wire(); }

void SimSerialPort::detach_from_wire() {
  if (!wire_) return;
  std::lock_guard lock(wire_->ports_mutex);
  wire_->ports.erase(this);
}

void SimSerialPort::wake() {
  std::lock_guard lock(mutex_);
  cv_.notify_all();
}

int SimSerialPort::unusable_locked() {
  if (closed_) return fail(wire_ ? result::kGeneralFailure : status());
  if (wire_->unplugged.load()) return fail(result::kNoSuchPort);
  return 0;
}

bool SimSerialPort::is_alive() const {
  if (!wire_) return false;
  return !wire_->unplugged.load() && status() != result::kNoSuchPort;
}

int SimSerialPort::due_count_locked(Clock::time_point now) const {
  // Answers are queued in time order, so the readable ones are a prefix.
  int n = 0;
  for (const Due& d : received_) {
    if (d.at > now) break;
    ++n;
  }
  return n;
}

void SimSerialPort::feed_locked(std::uint8_t byte, Clock::time_point now,
                                SimulatedInstrument* instrument) {
  if (assembler_.pending() > 0 && now - last_written_ > silence_for(baud_)) {
    assembler_.discard_partial();
  }
  last_written_ = now;
  std::vector<std::vector<std::uint8_t>> frames;
  assembler_.push(byte, frames);
  for (const auto& frame : frames) {
    FaultedAnswer answer = wire_->faults.apply(instrument->answer(frame));
    if (answer.bytes.empty()) continue;
    // A receive queue that nobody empties overruns, as a real one does.
    if (received_.size() + answer.bytes.size() > kMaxReceived) continue;
    // One line: a later answer never overtakes an earlier one.
    Clock::time_point at = now + std::chrono::milliseconds(answer.delay_ms);
    if (!received_.empty()) at = std::max(at, received_.back().at);
    for (std::uint8_t b : answer.bytes) received_.push_back(Due{at, b});
    cv_.notify_all();
  }
}

int SimSerialPort::write_byte(std::uint8_t byte) { return write_block(&byte, 1); }

int SimSerialPort::write_block(const std::uint8_t* data, int length) {
  std::lock_guard lock(mutex_);
  set_last_transfer_count(0);
  if (const int code = unusable_locked()) return code;
  if (length < 0 || (length > 0 && data == nullptr)) return fail(result::kGeneralFailure);
  const Clock::time_point now = Clock::now();
  const std::shared_ptr<SimulatedInstrument> instrument = wire_->instrument();
  assembler_.set_own_slave(instrument->jbus());
  for (int i = 0; i < length; ++i) feed_locked(data[i], now, instrument.get());
  set_last_transfer_count(length);
  return result::kOk;
}

int SimSerialPort::read_byte() {
  std::lock_guard lock(mutex_);
  if (const int code = unusable_locked()) return code;
  if (received_.empty() || received_.front().at > Clock::now()) return result::kNoData;
  const std::uint8_t b = received_.front().byte;
  received_.pop_front();
  return b;
}

int SimSerialPort::read_block(std::uint8_t* buffer, int length) {
  std::lock_guard lock(mutex_);
  set_last_transfer_count(0);
  if (const int code = unusable_locked()) return code;
  if (length <= 0 || buffer == nullptr) return length == 0 ? result::kOk : fail(result::kGeneralFailure);
  const int n = std::min(length, due_count_locked(Clock::now()));
  if (n == 0) return result::kNoData;
  for (int i = 0; i < n; ++i) {
    buffer[i] = received_.front().byte;
    received_.pop_front();
  }
  set_last_transfer_count(n);
  return result::kOk;
}

int SimSerialPort::read_byte_timeout(int timeout_ms, const IdleHook& idle) {
  std::unique_lock lock(mutex_);
  interrupted_ = false;  // a wake-up meant for an earlier read
  const Clock::time_point deadline =
      timeout_ms < 0 ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (const int code = unusable_locked()) return code;
    if (interrupted_) {
      interrupted_ = false;
      return result::kNoData;
    }
    const Clock::time_point now = Clock::now();
    if (!received_.empty() && received_.front().at <= now) {
      const std::uint8_t b = received_.front().byte;
      received_.pop_front();
      return b;
    }
    if (now >= deadline) return result::kNoData;
    Clock::time_point wake_at = deadline;
    if (!received_.empty()) wake_at = std::min(wake_at, received_.front().at);
    // With an idle hook, look up now and then as the other drivers do.
    if (idle) wake_at = std::min(wake_at, now + std::chrono::milliseconds(20));
    cv_.wait_until(lock, wake_at);
    if (idle) {
      lock.unlock();
      const int hook = idle();
      lock.lock();
      if (hook < 0) return fail(hook);
    }
  }
}

void SimSerialPort::interrupt_wait() {
  std::lock_guard lock(mutex_);
  interrupted_ = true;
  cv_.notify_all();
}

int SimSerialPort::close() {
  {
    std::lock_guard lock(mutex_);
    if (closed_) return result::kOk;
    closed_ = true;
    received_.clear();
    cv_.notify_all();
  }
  detach_from_wire();
  return result::kOk;
}

int SimSerialPort::set_line(int baud, char parity, int data_bits, int stop_bits) {
  if (baud <= 0 || baud > 115200) return fail(result::kInvalidBaud);
  switch (std::toupper(static_cast<unsigned char>(parity))) {
    case 'E':
    case 'M':
    case 'N':
    case 'O':
    case 'S':
      break;
    default:
      return fail(result::kInvalidParity);
  }
  if (data_bits < 5 || data_bits > 8) return fail(result::kInvalidDataBits);
  if (stop_bits != 1 && stop_bits != 2) return fail(result::kInvalidStopBits);
  std::lock_guard lock(mutex_);
  if (const int code = unusable_locked()) return code;
  baud_ = baud;
  return result::kOk;
}

// Flow control and the modem lines have no effect on the in-process wire.
int SimSerialPort::set_software_flow(bool) { return result::kOk; }
int SimSerialPort::set_rts_cts_flow(bool) { return result::kOk; }
int SimSerialPort::set_dtr_dsr_flow(bool) { return result::kOk; }
int SimSerialPort::set_dtr(bool) { return result::kOk; }
int SimSerialPort::set_rts(bool) { return result::kOk; }

int SimSerialPort::transmit_free() {
  std::lock_guard lock(mutex_);
  if (const int code = unusable_locked()) return code;
  return kQueueSize;
}

int SimSerialPort::transmit_count() {
  std::lock_guard lock(mutex_);
  if (const int code = unusable_locked()) return code;
  return 0;  // written bytes reach the instrument at once
}

int SimSerialPort::receive_count() {
  std::lock_guard lock(mutex_);
  if (const int code = unusable_locked()) return code;
  return due_count_locked(Clock::now());
}

int SimSerialPort::receive_free() {
  std::lock_guard lock(mutex_);
  if (const int code = unusable_locked()) return code;
  return std::max(0, kQueueSize - due_count_locked(Clock::now()));
}

int SimSerialPort::purge_transmit() {
  std::lock_guard lock(mutex_);
  if (const int code = unusable_locked()) return code;
  return result::kOk;
}

int SimSerialPort::send_break(int) {
  std::lock_guard lock(mutex_);
  if (const int code = unusable_locked()) return code;
  // A break ends whatever partial request the instrument was reading.
  assembler_.discard_partial();
  return result::kOk;
}

int SimSerialPort::modem_status() {
  std::lock_guard lock(mutex_);
  if (const int code = unusable_locked()) return code;
  return 0xB0;  // CTS, DSR and carrier detect: the instrument is there
}

int SimSerialPort::line_status() {
  std::lock_guard lock(mutex_);
  if (const int code = unusable_locked()) return code;
  return 0;
}

int SimSerialPort::clear_line_errors() { return result::kOk; }

int SimSerialPort::clear_status() {
  set_status(is_alive() ? result::kOk : result::kNoSuchPort);
  return result::kOk;
}

}  // namespace orvadw::sim
