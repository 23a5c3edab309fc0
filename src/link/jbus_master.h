#pragma once
// Register transactions with the instrument, and polling.
//
// transact() sends one request and judges the answer, with up to 3 attempts.
// Bad lines never yield wrong data: an answer must pass CRC, slave, function
// and length checks, and after any failed attempt the line is drained until
// it has been quiet for the inter-character time-out before the next request
// goes out, so that a late answer is not taken for the next attempt's or the
// next transaction's. A transaction ends within retries x (answer time-out +
// inter-character time-out + frame time).
//
// Polling repeats one request on its own thread and posts "WM_NEW_TRAME" to
// a NotifyTarget after each poll; the window reads poll_result() and calls
// resume_polling() when it wants the next one.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "link/jbus_exchange.h"
#include "link/jbus_link.h"
#include "link/notify_target.h"

namespace orvadw {

class JBusMaster : public JBusLink {
 public:
  static constexpr int kDefaultRetries = 3;
  static constexpr int kDefaultPollPeriodMs = 500;
  static constexpr const char* kNewFrameMessage = "WM_NEW_TRAME";

  // The polled request; after each poll, data holds the answer (empty when
  // the poll failed) and last_result the poll's result code.
  struct PollRequest {
    int slave = 0;
    int function = 0;
    int address = 0;
    int count = 0;
    Bytes data;
    int bytes_per_item = 2;
    int last_result = 0;
  };

  JBusMaster() = default;
  ~JBusMaster() override;

  // One transaction. function 3 or 4 reads count registers (data ignored on
  // entry); function 16 writes data (count = (data bytes + 1) / 2). On
  // success returns 0 and data holds the answer without its first byte: the
  // register bytes of a read, the last 3 echo bytes of a write. -1 at once,
  // data untouched, when another transaction runs. Any other failure leaves
  // data empty: 1 (the request cannot be built, e.g. a write whose count does
  // not match its data), 253 (not connected), 251 (no answer), 101, 102,
  // 103, 150 + exception code, 201, 202 (the last attempt's verdict), or -14
  // (the device has gone away).
  int transact(int slave, int function, int address, int count, Bytes& data,
               int bytes_per_item = 2);

  // Starts the poll thread: 0, or -1 when polling already runs or the thread
  // cannot start. target gets "WM_NEW_TRAME" (0, 0) after each poll.
  int start_polling(NotifyTarget* target, int slave, int function, int address, int count,
                    int period_ms, int bytes_per_item, const Bytes& data);
  // Ends polling; once it returns nothing more is posted. Not from inside
  // post_message() (resume_polling() is fine there).
  void stop_polling();
  bool is_polling() const { return polling_.load(); }
  // Replaces the polled request (takes effect at the next poll).
  void set_poll_request(int slave, int function, int address, int count, const Bytes& data,
                        int bytes_per_item);
  // A copy of the polled request as the last poll left it.
  PollRequest poll_result() const;
  // Lets the poll thread go on, one period from now.
  void resume_polling();

  bool is_busy() const { return busy_.load(); }
  // The attempt now running (1 first), or of the last transaction.
  int attempt() const { return attempt_.load(); }
  int retries() const { return retries_; }

 private:
  void poll_loop();
  int run_attempts(int slave, int function, int address, int count, Bytes& data,
                   int bytes_per_item);
  // Milliseconds that n characters take on the line now open.
  double char_time_ms(std::size_t n) const;

  JBusExchange exchange_;
  std::atomic<bool> busy_{false};
  std::atomic<int> attempt_{0};
  int retries_ = kDefaultRetries;
  // Set after a failed attempt: the line must fall quiet before the next send.
  bool line_dirty_ = false;
  Clock::time_point quiet_since_{};

  // Polling.
  mutable std::mutex request_mutex_;
  PollRequest poll_request_;
  Bytes poll_write_data_;  // what a polled write sends each time
  std::mutex poll_mutex_;
  std::condition_variable poll_cv_;
  bool resume_ = false;  // guarded by poll_mutex_
  std::mutex post_mutex_;
  NotifyTarget* notify_ = nullptr;  // guarded by post_mutex_
  int period_ms_ = kDefaultPollPeriodMs;
  std::atomic<bool> polling_{false};
  std::atomic<bool> poll_thread_running_{false};
  std::thread poll_thread_;
};

}  // namespace orvadw
