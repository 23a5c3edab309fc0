#pragma once
// A serial port with its reader thread. The reader reads one byte each time
// it is armed, with the current read time-out, and hands the byte (or the
// time-out) to the receiver. The channel also sends byte strings (with an
// optional pause after each byte, for Bluetooth adapters that lose bytes
// otherwise) and purges both directions.
//
// Threads: one controlling thread opens, closes, sends, purges and drains;
// the reader thread calls the receiver. set_read_timeout() and arm() may be
// called from both, including from inside the receiver. is_open(),
// is_alive() and interrupt_read() are safe from any thread: the port they
// look at is only replaced under the port lock.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/serial_port.h"
#include "link/serial_receiver.h"

namespace orvadw {

class SerialChannel {
 public:
  using Clock = std::chrono::steady_clock;

  SerialChannel() = default;
  ~SerialChannel();
  SerialChannel(const SerialChannel&) = delete;
  SerialChannel& operator=(const SerialChannel&) = delete;

  // Opens COM<port_number> (1-based) for this receiver. When the same port is
  // already open, alive, at the same speed, parity and data bits, it is kept
  // as it is (only a change of stop bits is applied). 0, or -1 (no receiver,
  // or the port could not be opened: see last_error()/last_error_text()).
  int open(SerialReceiver* receiver, int port_number, int baud, char parity, int data_bits,
           int stop_bits);
  // Stops the reader and closes the port.
  void close();
  bool is_open() const;
  // False once the open device has gone away (unplugged, other side closed).
  bool is_alive() const;
  // Counts the devices opened so far: a change tells that open() put a new
  // line in place rather than keeping the one it had.
  std::uint64_t opened_count() const { return opened_count_.load(); }
  // Ends a read under way (it comes back as a time-out); harmless when
  // nothing reads.
  void interrupt_read();

  // Sends the bytes, waiting after each write until the transmit queue is
  // empty (0.1 s at most) and then the byte delay. With no byte delay the
  // whole string goes in one write: the bytes on the wire are the same.
  // 0, or the port's negative code when the port refused the bytes.
  int send(const std::vector<std::uint8_t>& bytes);
  // Discards what was received, then the transmit queue: 0, 504 (receive
  // side failed) or 503 (transmit side failed). The bytes thrown away are
  // appended to *discarded when given.
  int purge(std::vector<std::uint8_t>* discarded = nullptr);
  // Reads and discards bytes until the line has been quiet for `silence`
  // counted from last_seen (or from the last byte read here), giving up at
  // `deadline` or as soon as *stop turns true. Returns the number of bytes
  // discarded (appended to *discarded when given), or a negative port code.
  // *last_byte receives the time of the last byte seen.
  int drain_until_silent(Clock::time_point last_seen, std::chrono::milliseconds silence,
                         Clock::time_point deadline, Clock::time_point* last_byte = nullptr,
                         std::vector<std::uint8_t>* discarded = nullptr,
                         const std::atomic<bool>* stop = nullptr);

  // Starts the reader with this read time-out (ms, -1 for ever): 1 when it
  // started, 0 when it already ran or could not start.
  int start_reader(int read_timeout_ms);
  void stop_reader();
  bool reader_running() const { return running_.load(); }
  void set_read_timeout(int milliseconds);
  // Asks the reader for one more byte.
  void arm();
  // Withdraws the request: nothing more is handed to the receiver for it,
  // and a read already under way ends within a few milliseconds (what
  // arrives later stays on the line for the next drain or purge). Not from
  // inside the receiver.
  void disarm();
  void set_byte_delay(float seconds) { byte_delay_.store(seconds); }

  // Why the last open failed: its port code and a sentence for the user.
  int last_error() const { return last_error_; }
  std::string last_error_text() const;
  // The open port, for diagnostics (dump); null when closed.
  SerialPort* port() const { return port_.get(); }

 private:
  void reader_loop();
  int wait_transmit_empty();

  std::unique_ptr<SerialPort> port_;  // replaced under port_mutex_
  mutable std::mutex port_mutex_;
  std::atomic<std::uint64_t> opened_count_{0};
  // Atomic: a waiter sets it without queueing behind a read under way.
  std::atomic<int> read_timeout_{-1};
  std::mutex lock_;  // every read

  std::mutex event_mutex_;
  std::condition_variable event_cv_;
  bool go_ = false;
  bool started_ = false;
  bool stopped_ = false;

  // A byte read for a withdrawn request is dropped, never delivered.
  std::mutex delivery_mutex_;
  std::atomic<std::uint64_t> generation_{0};  // changed under both locks

  std::thread reader_;
  SerialReceiver* receiver_ = nullptr;  // guarded by delivery_mutex_ once the reader runs
  int port_number_ = 0;
  int baud_ = 0;
  char parity_ = 'N';
  int data_bits_ = 8;
  int stop_bits_ = 1;
  std::atomic<bool> running_{false};
  std::atomic<float> byte_delay_{0.0f};
  int last_error_ = 0;
  std::string last_error_text_;
};

}  // namespace orvadw
