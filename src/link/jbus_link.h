#pragma once
// The receiving end of a serial channel: opens the line (directly, or through
// the modem-connection hook), collects the bytes of one answer until the
// expected length has arrived or the line falls silent, and keeps the table
// of speeds with their inter-character time-outs.
//
// Waiting never burns a core: the waiting thread sleeps on a condition that
// the reader thread signals with each byte and each time-out, and wakes every
// 15 ms to run the idle hook (the windows repaint their please-wait window
// there). Every wait has an end of its own: the reader's verdict, the
// caller's deadline, a cancel, the line being closed by another thread, or,
// should the reader fall silent, a watchdog one time-out past the last event.
//
// The lock order of the link is written at the top of jbus_master.h.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "link/jbus_frame.h"
#include "link/serial_channel.h"
#include "link/serial_receiver.h"
#include "link/traffic_tap.h"

namespace orvadw {

class JBusLink : public SerialReceiver {
 public:
  using Clock = std::chrono::steady_clock;
  // Runs the modem connection dialogue for connect(); 0 when the modem line
  // is up, anything else when it was not made (connect then answers 252).
  using ModemConnectHook = std::function<int(JBusLink&)>;

  struct BaudEntry {
    int baud;
    int inter_char_timeout_ms;
  };
  static constexpr int kBaudTableSize = 11;
  static constexpr int kBluetoothBaudIndex = 6;
  static constexpr int kDefaultAnswerTimeoutMs = 500;
  static constexpr int kDefaultExpectedLength = 500;

  JBusLink() = default;
  ~JBusLink() override;
  JBusLink(const JBusLink&) = delete;
  JBusLink& operator=(const JBusLink&) = delete;

  // Opens the line: COM<port_number> (1-based) at the speed of baud_index.
  // With use_modem, nothing is opened here: when modem_connected is already
  // set the line is taken as it is (0); otherwise the modem-connection hook
  // runs and on success modem_connected is set. Returns 0, 252 (the modem
  // connection was not made) or 253 (the port could not be opened; see
  // last_error_text()).
  int connect(int port_number, int baud_index, char parity, int data_bits, int stop_bits,
              bool use_modem, bool& modem_connected);
  // The usual direct line: no parity, 8 data bits, 1 stop bit, no modem.
  int connect(int port_number, int baud_index);
  // Stops the reader and closes the port.
  void disconnect();
  bool is_connected() const;
  // False once the open device has gone away.
  bool is_alive() const;

  // The number of leading speeds of the table (8 as built).
  int baud_count() const;
  // The speed of an index of the table; 0 outside it.
  int baud_rate(int baud_index) const;
  // The index of the line now open; -1 before the first connect.
  int baud_index() const { return baud_index_.load(); }

  int answer_timeout() const { return answer_timeout_.load(); }
  void set_answer_timeout(int milliseconds) { answer_timeout_.store(milliseconds); }
  // Taken from the speed table at each connect; tests shorten it after
  // connect to keep their runs short.
  int inter_char_timeout() const { return inter_char_timeout_.load(); }
  void set_inter_char_timeout(int milliseconds) { inter_char_timeout_.store(milliseconds); }
  void set_expected_length(int bytes) { expected_length_.store(bytes); }
  int expected_length() const { return expected_length_.load(); }

  // Collects one answer (after purging the line when purge_first): 0 with the
  // bytes in out, or 251 when nothing came within the answer time-out (also
  // when the line was closed meanwhile), or 254 after cancel().
  int wait_answer(Bytes& out, bool purge_first);
  // Sends the text's bytes as they are (no terminator): 0, or the port's code.
  int send_text(const std::string& text);
  // wait_answer without purging, the bytes as characters: 0, 251 or 254. A
  // text answer has no length of its own: it ends when the line falls
  // silent, whatever length the last transaction expected.
  int receive_text(std::string& out);

  // Ends the wait under way and every later one with 254 until
  // clear_cancel(); a transaction or probe then stops before its next
  // attempt. Any thread; the waiter returns within milliseconds.
  void cancel();
  void clear_cancel();
  bool cancel_requested() const { return cancel_.load(); }

  // Where the traffic goes (null for nowhere). Called outside the link's
  // locks; see traffic_tap.h.
  void set_traffic_tap(std::shared_ptr<TrafficTap> tap);
  // Hands an event to the tap, if any (never under a lock of the link); the
  // modem dialogue reports its AT texts through it.
  void report(TrafficEvent event);

  // Reader-thread side (SerialReceiver).
  int on_byte(int value) override;
  void on_timeout() override;

  // Called about every 15 ms while an answer is awaited, but only on the
  // thread that set it (the poll thread never paints windows). Any thread
  // may set it while another waits.
  void set_idle_hook(std::function<void()> hook);
  // Replaces the modem-connection dialogue; until one is set, connect with
  // the modem answers as a cancelled dialog (252).
  void set_modem_connect_hook(ModemConnectHook hook);

  SerialChannel& channel() { return channel_; }
  // Why the last connect failed, in a sentence for the user ("" when it did not).
  std::string last_error_text() const;

 protected:
  // wait_answer with an overall deadline (at the deadline the answer ends as
  // if the line had fallen silent) and the answer time-out of this wait.
  int wait_for_answer(Bytes& out, bool purge_first, Clock::time_point deadline,
                      int answer_timeout_ms);
  bool has_tap() const { return has_tap_.load(); }
  const std::atomic<bool>& cancel_flag() const { return cancel_; }
  // Called after connect() has put a freshly opened line in place.
  virtual void line_opened() {}
  // The time of the last byte the reader saw.
  Clock::time_point last_byte_time() const;
  // Serialises opening and closing the line with transactions. False when the
  // calling thread already holds it (a connect from inside a transaction).
  bool acquire_line();
  void release_line();
  bool line_held_here() const { return line_owner_.load() == std::this_thread::get_id(); }

 private:
  // Wakes a waiter whose line has just been closed.
  void end_wait();

  SerialChannel channel_;
  Bytes buffer_;
  mutable std::mutex buffer_mutex_;
  std::condition_variable answer_cv_;
  bool waiting_ = false;  // guarded by buffer_mutex_
  bool line_closed_ = false;  // guarded by buffer_mutex_: the wait's line went away
  Clock::time_point last_byte_time_{};
  Clock::time_point first_byte_time_{};  // of the answer in buffer_
  std::atomic<int> expected_length_{kDefaultExpectedLength};
  std::atomic<int> answer_timeout_{kDefaultAnswerTimeoutMs};
  std::atomic<int> inter_char_timeout_{1000};
  std::atomic<int> baud_index_{-1};

  std::mutex hook_mutex_;  // the idle hook and its thread
  std::function<void()> idle_hook_;
  std::thread::id idle_thread_;
  ModemConnectHook modem_hook_;
  std::atomic<bool> cancel_{false};

  mutable std::mutex tap_mutex_;
  std::shared_ptr<TrafficTap> tap_;
  std::atomic<bool> has_tap_{false};

  std::mutex line_mutex_;
  std::atomic<std::thread::id> line_owner_{};
};

}  // namespace orvadw
