#include "link/serial_port.h"

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace orvadw {

// Every live port is on this list; whatever is still open when the program
// ends is closed by the exit handler, so the line is released even when an
// owner forgot to close it.
struct SerialPortList {
  std::mutex mutex;
  SerialPort* head = nullptr;
  bool exit_handler_registered = false;

  static SerialPortList& instance() {
    // Never destroyed: ports owned by static objects unlink themselves
    // after the exit handler has run.
    static SerialPortList* list = new SerialPortList;
    return *list;
  }

  static void close_all_at_exit() {
    SerialPortList& list = instance();
    std::lock_guard<std::mutex> lock(list.mutex);
    for (SerialPort* port = list.head; port != nullptr; port = port->list_next_) {
      port->close();
    }
  }

  void add(SerialPort* port) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!exit_handler_registered) {
      exit_handler_registered = std::atexit(&SerialPortList::close_all_at_exit) == 0;
    }
    port->list_next_ = head;
    port->list_prev_ = nullptr;
    if (head != nullptr) head->list_prev_ = port;
    head = port;
  }

  void remove(SerialPort* port) {
    std::lock_guard<std::mutex> lock(mutex);
    if (port->list_prev_ != nullptr) {
      port->list_prev_->list_next_ = port->list_next_;
    } else if (head == port) {
      head = port->list_next_;
    }
    if (port->list_next_ != nullptr) port->list_next_->list_prev_ = port->list_prev_;
    port->list_prev_ = nullptr;
    port->list_next_ = nullptr;
  }
};

SerialPort::SerialPort(int port_index, int driver_kind)
    : port_index_(port_index), driver_kind_(driver_kind) {
  SerialPortList::instance().add(this);
}

SerialPort::~SerialPort() { SerialPortList::instance().remove(this); }

int SerialPort::read_byte() { return fail(result::kNotSupported); }
int SerialPort::write_byte(std::uint8_t) { return fail(result::kNotSupported); }
int SerialPort::close() { return fail(result::kNotSupported); }
int SerialPort::set_line(int, char, int, int) { return fail(result::kNotSupported); }
int SerialPort::set_software_flow(bool) { return fail(result::kNotSupported); }
int SerialPort::set_rts_cts_flow(bool) { return fail(result::kNotSupported); }
int SerialPort::set_dtr_dsr_flow(bool) { return fail(result::kNotSupported); }
int SerialPort::set_dtr(bool) { return fail(result::kNotSupported); }
int SerialPort::set_rts(bool) { return fail(result::kNotSupported); }
int SerialPort::transmit_free() { return fail(result::kNotSupported); }
int SerialPort::transmit_count() { return fail(result::kNotSupported); }
int SerialPort::receive_free() { return fail(result::kNotSupported); }
int SerialPort::receive_count() { return fail(result::kNotSupported); }
int SerialPort::purge_transmit() { return fail(result::kNotSupported); }
int SerialPort::write_block(const std::uint8_t*, int) { return fail(result::kNotSupported); }
int SerialPort::read_block(std::uint8_t*, int) { return fail(result::kNotSupported); }
int SerialPort::send_break(int) { return fail(result::kNotSupported); }
int SerialPort::modem_status() { return fail(result::kNotSupported); }
int SerialPort::line_status() { return fail(result::kNotSupported); }
int SerialPort::clear_line_errors() { return fail(result::kNotSupported); }
int SerialPort::clear_status() { return fail(result::kNotSupported); }

int SerialPort::dump(const LinePrinter& print) {
  if (print) {
    print("Port dump not supported for this driver");
    print("");
  }
  return fail(result::kNotSupported);
}

int SerialPort::read_byte_timeout(int timeout_ms, const IdleHook& idle) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  take_interrupt();  // a wake-up meant for an earlier read
  for (;;) {
    const int waiting = receive_count();
    if (waiting < 0) return waiting;
    if (waiting > 0) return read_byte();
    if (idle) {
      const int hook = idle();
      if (hook < 0) return fail(hook);
    }
    if (take_interrupt()) return result::kNoData;
    if (timeout_ms >= 0 && Clock::now() >= deadline) return result::kNoData;
    // Drivers without a descriptor to block on land here; a short sleep keeps
    // the wait from burning a core.
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
}

void SerialPort::interrupt_wait() { interrupted_.store(true); }

std::string SerialPort::error_text() const { return result_text(status_); }

}  // namespace orvadw
