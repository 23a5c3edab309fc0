#pragma once
// One open serial port behind a table of operations. Every operation answers
// "not supported" (-24) unless a driver provides it; the POSIX termios driver
// provides them all, the simulator's in-process driver the ones a link needs.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "base/result_codes.h"

namespace orvadw {

// Receives the lines of the diagnostic dump, one call a line.
using LinePrinter = std::function<void(const std::string& line)>;
// Called while a read waits; a negative result ends the wait with that code.
using IdleHook = std::function<int()>;

class SerialPort {
 public:
  SerialPort(int port_index, int driver_kind);
  virtual ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  int status() const { return status_.load(); }
  int port_index() const { return port_index_; }
  int driver_kind() const { return driver_kind_; }
  int last_transfer_count() const { return last_transfer_count_; }

  // The operation table. Each returns 0 (or the value asked for) or a
  // negative code, which is also kept in status().
  virtual int read_byte();  // the next byte 0..255, or -8 when none waits
  virtual int write_byte(std::uint8_t byte);
  virtual int close();
  virtual int set_line(int baud, char parity, int data_bits, int stop_bits);
  virtual int set_software_flow(bool on);
  virtual int set_rts_cts_flow(bool on);
  virtual int set_dtr_dsr_flow(bool on);
  virtual int set_dtr(bool on);
  virtual int set_rts(bool on);
  virtual int transmit_free();
  virtual int transmit_count();
  virtual int receive_free();
  virtual int receive_count();
  virtual int purge_transmit();
  virtual int write_block(const std::uint8_t* data, int length);
  virtual int read_block(std::uint8_t* buffer, int length);
  virtual int dump(const LinePrinter& print);
  virtual int send_break(int milliseconds);
  virtual int modem_status();
  virtual int line_status();
  virtual int clear_line_errors();
  virtual int clear_status();

  // Waits up to timeout_ms (-1: for ever) for one byte and returns it, or -8
  // when the time ran out, or another negative code. The default polls
  // receive_count() and calls the idle hook between polls; a driver with a
  // file descriptor blocks in poll() instead.
  virtual int read_byte_timeout(int timeout_ms, const IdleHook& idle);
  // Wakes a read_byte_timeout() blocked in another thread, which then
  // returns -8 at once. Used when the reader thread is stopped. A wake-up
  // that comes while no read waits may be dropped by the next read, so a
  // caller that must end a reader repeats it until the reader has left.
  virtual void interrupt_wait();

  // True while the device is still there (false after a hang-up or unplug).
  virtual bool is_alive() const { return status_.load() != result::kNoSuchPort; }

  // A sentence for the user about the last failure (why an open failed, e.g.
  // a missing "dialout" group membership); by default the meaning of status().
  virtual std::string error_text() const;

 protected:
  int fail(int code) {
    status_ = code;
    return code;
  }
  void set_status(int code) { status_ = code; }
  void set_last_transfer_count(int count) { last_transfer_count_ = count; }
  // The flag that the default interrupt_wait() sets; true once per interrupt.
  bool take_interrupt() { return interrupted_.exchange(false); }

 private:
  friend struct SerialPortList;
  int port_index_;
  int driver_kind_;
  std::atomic<int> status_{0};  // written by the reader and the sending thread
  int last_transfer_count_ = 0;
  std::atomic<bool> interrupted_{false};
  // Process-wide list of live ports, closed at program exit; intrusive so
  // that registering a port can never fail for lack of memory.
  SerialPort* list_prev_ = nullptr;
  SerialPort* list_next_ = nullptr;
};

}  // namespace orvadw
