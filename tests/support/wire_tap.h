#pragma once
// A listening post on the in-process wire: the device "tap:<name>" opens the
// simulator's "sim:<name>" and records every byte the link sends, so that a
// test sees the requests in the order the instrument got them. It can also
// swallow requests (from a given one on) to play an instrument that stops
// answering. Header-only: the test programs that use it link the link and
// the simulator.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/serial_driver.h"
#include "link/serial_port.h"

namespace orvadw::test {

// One request frame as sent: function 3 or 4 (address, count) or function
// 16 (address, count and the register bytes).
struct TappedRequest {
  int slave = 0;
  int function = 0;
  int address = 0;
  int count = 0;
  std::vector<std::uint8_t> data;
};

class TapLog {
 public:
  void add(const std::uint8_t* bytes, int length) {
    std::lock_guard lock(mutex_);
    sent_.insert(sent_.end(), bytes, bytes + length);
  }
  std::vector<std::uint8_t> sent() const {
    std::lock_guard lock(mutex_);
    return sent_;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    sent_.clear();
    swallow_first_ = swallow_last_ = -1;
  }
  // The requests in the bytes sent so far (a cut last frame is left out).
  std::vector<TappedRequest> requests() const {
    const std::vector<std::uint8_t> b = sent();
    std::vector<TappedRequest> out;
    std::size_t i = 0;
    while (i + 8 <= b.size()) {
      TappedRequest r;
      r.slave = b[i];
      r.function = b[i + 1];
      r.address = b[i + 2] << 8 | b[i + 3];
      r.count = b[i + 4] << 8 | b[i + 5];
      std::size_t length = 8;
      if (r.function == 16) {
        length = 9 + static_cast<std::size_t>(b[i + 6]);
        if (i + length > b.size()) break;
        r.data.assign(b.begin() + static_cast<long>(i) + 7,
                      b.begin() + static_cast<long>(i + length) - 2);
      }
      out.push_back(r);
      i += length;
    }
    return out;
  }
  // Requests first to last (0 is the first since the last clear; last -1:
  // every one after first) never reach the instrument.
  void swallow(int first, int last = -1) {
    std::lock_guard lock(mutex_);
    swallow_first_ = first;
    swallow_last_ = last;
  }
  bool swallowing() const {
    std::lock_guard lock(mutex_);
    const int frame = static_cast<int>(count_frames_locked());
    return swallow_first_ >= 0 && frame >= swallow_first_ &&
           (swallow_last_ < 0 || frame <= swallow_last_);
  }

 private:
  // Frames begun so far: a frame starts at each run of bytes sent after the
  // last one ended, which is how requests() splits them too.
  std::size_t count_frames_locked() const {
    std::size_t frames = 0;
    std::size_t i = 0;
    while (i + 8 <= sent_.size()) {
      const std::size_t length =
          sent_[i + 1] == 16 ? 9 + static_cast<std::size_t>(sent_[i + 6]) : 8;
      if (i + length > sent_.size()) break;
      ++frames;
      i += length;
    }
    return frames;
  }

  mutable std::mutex mutex_;
  std::vector<std::uint8_t> sent_;
  int swallow_first_ = -1;
  int swallow_last_ = -1;
};

class TapPort : public SerialPort {
 public:
  TapPort(std::unique_ptr<SerialPort> inner, std::shared_ptr<TapLog> log)
      : SerialPort(inner->port_index(), inner->driver_kind()),
        inner_(std::move(inner)),
        log_(std::move(log)) {
    set_status(inner_->status());
  }

  int read_byte() override { return keep(inner_->read_byte()); }
  int write_byte(std::uint8_t byte) override { return write_block(&byte, 1) < 0 ? status() : 0; }
  int write_block(const std::uint8_t* data, int length) override {
    const bool swallow = log_->swallowing();
    log_->add(data, length);
    if (swallow) return length;  // gone nowhere, as on a dead line
    return keep(inner_->write_block(data, length));
  }
  int close() override { return keep(inner_->close()); }
  int set_line(int baud, char parity, int data_bits, int stop_bits) override {
    return keep(inner_->set_line(baud, parity, data_bits, stop_bits));
  }
  int set_software_flow(bool on) override { return keep(inner_->set_software_flow(on)); }
  int set_rts_cts_flow(bool on) override { return keep(inner_->set_rts_cts_flow(on)); }
  int set_dtr_dsr_flow(bool on) override { return keep(inner_->set_dtr_dsr_flow(on)); }
  int set_dtr(bool on) override { return keep(inner_->set_dtr(on)); }
  int set_rts(bool on) override { return keep(inner_->set_rts(on)); }
  int transmit_free() override { return keep(inner_->transmit_free()); }
  int transmit_count() override { return keep(inner_->transmit_count()); }
  int receive_free() override { return keep(inner_->receive_free()); }
  int receive_count() override { return keep(inner_->receive_count()); }
  int purge_transmit() override { return keep(inner_->purge_transmit()); }
  int read_block(std::uint8_t* buffer, int length) override {
    return keep(inner_->read_block(buffer, length));
  }
  int send_break(int milliseconds) override { return keep(inner_->send_break(milliseconds)); }
  int modem_status() override { return keep(inner_->modem_status()); }
  int line_status() override { return keep(inner_->line_status()); }
  int clear_line_errors() override { return keep(inner_->clear_line_errors()); }
  int clear_status() override { return keep(inner_->clear_status()); }
  int read_byte_timeout(int timeout_ms, const IdleHook& idle) override {
    return keep(inner_->read_byte_timeout(timeout_ms, idle));
  }
  void interrupt_wait() override { inner_->interrupt_wait(); }
  bool is_alive() const override { return inner_->is_alive(); }
  std::string error_text() const override { return inner_->error_text(); }

 private:
  int keep(int rc) {
    set_status(inner_->status());
    return rc;
  }
  std::unique_ptr<SerialPort> inner_;
  std::shared_ptr<TapLog> log_;
};

// "tap:<name>" reaches "sim:<name>" through a TapPort writing to log().
class WireTap : public SerialDriver {
 public:
  static std::shared_ptr<WireTap> install() {
    auto tap = std::make_shared<WireTap>();
    register_serial_driver(tap);
    return tap;
  }
  ~WireTap() override = default;

  static std::string device(const std::string& name) { return "tap:" + name; }
  const std::shared_ptr<TapLog>& log() const { return log_; }

  bool handles(const std::string& device) const override { return device.rfind("tap:", 0) == 0; }
  std::unique_ptr<SerialPort> open(const std::string& device, int port_index, int baud, char parity,
                                   int data_bits, int stop_bits) override {
    auto inner = open_serial_device("sim:" + device.substr(4), port_index, baud, parity, data_bits,
                                    stop_bits);
    return std::make_unique<TapPort>(std::move(inner), log_);
  }

 private:
  std::shared_ptr<TapLog> log_ = std::make_shared<TapLog>();
};

// Installs a tap for one scope and takes it away again.
class ScopedWireTap {
 public:
  ScopedWireTap() : tap_(WireTap::install()) {}
  ~ScopedWireTap() { unregister_serial_driver(tap_.get()); }
  ScopedWireTap(const ScopedWireTap&) = delete;
  ScopedWireTap& operator=(const ScopedWireTap&) = delete;
  TapLog& log() { return *tap_->log(); }

 private:
  std::shared_ptr<WireTap> tap_;
};

}  // namespace orvadw::test
