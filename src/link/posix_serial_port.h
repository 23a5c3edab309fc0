#pragma once
// The serial port on a POSIX tty through termios: raw line, exclusive access
// (TIOCEXCL plus flock, which also stops a second opener running as root),
// non-blocking descriptor, reads that block in poll() on the device and on a
// wake-up descriptor, and a small user-space buffer so that an answer costs a
// few system calls rather than two a byte. Works on USB adapters, on-board
// UARTs, rfcomm Bluetooth ports and pseudo-terminals (where the modem lines,
// parity and data bits do not exist; that is tolerated).
#include <termios.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "link/serial_port.h"

namespace orvadw {

class PosixSerialPort : public SerialPort {
 public:
  static constexpr int kDriverKind = 15;
  // Queue sizes reported by the free counts, as the line was sized elsewhere.
  static constexpr int kQueueSize = 1050;

  // Opens and sets up the device; status() tells the outcome (0, -3 in use or
  // no permission, -14 missing, -25..-28 line settings, -1 other).
  PosixSerialPort(const std::string& device, int port_index, int baud, char parity, int data_bits,
                  int stop_bits);
  ~PosixSerialPort() override;

  const std::string& device() const { return device_; }
  bool is_open() const;

  int read_byte() override;
  int write_byte(std::uint8_t byte) override;
  int close() override;
  int set_line(int baud, char parity, int data_bits, int stop_bits) override;
  int set_software_flow(bool on) override;
  int set_rts_cts_flow(bool on) override;
  // termios has no DTR/DSR handshake: the wish is remembered and shown in
  // the dump, and turning it on answers -24.
  int set_dtr_dsr_flow(bool on) override;
  int set_dtr(bool on) override;
  int set_rts(bool on) override;
  int transmit_free() override;
  int transmit_count() override;
  int receive_free() override;
  int receive_count() override;
  int purge_transmit() override;
  int write_block(const std::uint8_t* data, int length) override;
  int read_block(std::uint8_t* buffer, int length) override;
  int dump(const LinePrinter& print) override;
  int send_break(int milliseconds) override;
  int modem_status() override;
  int line_status() override;
  int clear_line_errors() override;
  int clear_status() override;

  int read_byte_timeout(int timeout_ms, const IdleHook& idle) override;
  void interrupt_wait() override;
  bool is_alive() const override;
  std::string error_text() const override;

  // Called every few milliseconds while send_break() holds the break.
  void set_idle_hook(IdleHook hook) { idle_hook_ = std::move(hook); }

  // Maps an errno value of open/ioctl to a port result code.
  static int map_errno(int error, bool setting_speed = false);
  // The termios constant of a speed in baud; false when termios has none.
  static bool speed_constant(int baud, speed_t* speed);

 private:
  int open_device(int baud, char parity, int data_bits, int stop_bits);
  int apply_termios();
  int mark_gone();
  void update_error_flags();
  // Reads what the device holds into the buffer; mutex_ held. Returns the
  // number of bytes added, 0 when none waits, or a negative code.
  int fill_buffer_locked();
  int buffered_locked() const { return static_cast<int>(buf_end_ - buf_begin_); }
  int modem_lines(int set_mask, int clear_mask);

  std::string device_;
  std::string error_text_;
  int fd_ = -1;
  int wake_fd_ = -1;
  bool gone_ = false;
  mutable std::mutex mutex_;  // the buffer, the descriptor's life, the flags

  // Line settings as applied.
  int baud_ = 0;
  int data_bits_ = 8;
  int parity_code_ = 0;  // 0 none, 1 odd, 2 even, 3 mark, 4 space
  int stop_bits_ = 1;
  bool dtr_on_ = false;
  bool rts_on_ = false;
  bool dtr_dsr_flow_ = false;
  bool software_flow_ = false;
  bool rts_cts_flow_ = false;
  bool have_modem_lines_ = true;

  // Line errors accumulated since the last clear (16 break, 8 framing,
  // 4 parity, 2 overrun, 1 receive overflow), from the driver's counters.
  int error_flags_ = 0;
  bool have_counters_ = true;
  long counters_[5] = {0, 0, 0, 0, 0};  // frame, overrun, parity, brk, buf_overrun

  std::uint8_t buffer_[256];
  std::size_t buf_begin_ = 0;
  std::size_t buf_end_ = 0;

  IdleHook idle_hook_;
  std::atomic<bool> wake_pending_{false};
};

}  // namespace orvadw
