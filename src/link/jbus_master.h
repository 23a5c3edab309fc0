#pragma once
// Register transactions with the instrument, and polling.
//
// transact() sends one request and judges the answer, with up to 3 attempts.
// Bad lines never yield wrong data: an answer must pass CRC, slave, function
// and length checks, and after any failed attempt the line is drained until
// it has been quiet for a few character times (the end-of-frame silence, at
// least 50 ms) before the next request goes out, so that a late answer is
// not taken for the next attempt's or the next transaction's. A freshly
// opened line starts clean. A transaction ends within retries x (answer
// time-out + inter-character time-out + frame time); an instrument that
// stays silent costs about retries x the answer time-out.
//
// probe() is one transaction with its own attempts and answer time-out that
// gives up at the first silent attempt when asked to, and that cancel() ends
// within milliseconds: the instrument search is made of probes.
//
// Polling repeats one request on its own thread and posts "WM_NEW_TRAME" to
// a NotifyTarget after each poll; the window reads poll_result() and calls
// resume_polling() when it wants the next one.
//
// Lock order of the link: a thread that holds one of these may take the
// ones below it, never one above.
//   1. request_mutex_    the polled request, held through a poll's transaction
//   2. line_mutex_       (JBusLink) opening, closing and using the port: held
//                        by transact(), connect(), disconnect(), send_text()
//                        and the purge of wait_answer()
//   3. delivery_mutex_   (SerialChannel) the reader handing over a byte;
//                        disarm()
//   4. buffer_mutex_     (JBusLink) the answer being collected; on_byte()
//   5. lock_             (SerialChannel) the read time-out and every read:
//                        the reader holds it through a read and lets go
//                        before it hands the byte over; drains hold it
//   6. leaves, nothing taken under them: event_mutex_ and port_mutex_
//      (SerialChannel; the latter only reaches into the port's own mutex),
//      hook_mutex_ and tap_mutex_ (JBusLink); post_mutex_ before
//      poll_mutex_ (the poll thread's, taken between transactions only)
// The idle hook, the traffic tap and the modem's reports run with none of
// them held; a poll's "WM_NEW_TRAME" is posted under post_mutex_ only (the
// target just queues it).
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

  // One transaction with up to `attempts` attempts under this answer
  // time-out (the link's own is left alone). With give_up_when_silent, an
  // attempt that hears not a single byte ends the probe at once with 251:
  // an instrument at another speed or none at all is not asked again, one
  // that answered badly is. Returns what transact() returns, or 254 once
  // cancel() was called.
  int probe(int slave, int function, int address, int count, Bytes& data, int attempts,
            int answer_timeout_ms, bool give_up_when_silent);

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

 protected:
  void line_opened() override;

 private:
  struct AttemptPlan {
    int attempts;
    int answer_timeout_ms;
    bool give_up_when_silent;
  };
  int run_transaction(int slave, int function, int address, int count, Bytes& data,
                      int bytes_per_item, const AttemptPlan& plan);
  void poll_loop();
  int run_attempts(int slave, int function, int address, int count, Bytes& data,
                   int bytes_per_item, const AttemptPlan& plan);
  // Milliseconds that n characters take on the line now open.
  double char_time_ms(std::size_t n) const;
  // How long the line must stay quiet before a new request after a failure.
  std::chrono::milliseconds quiet_time() const;
  void report_verdict(int attempt, int code);

  JBusExchange exchange_;
  std::atomic<bool> busy_{false};
  std::atomic<int> attempt_{0};
  int retries_ = kDefaultRetries;
  // Set after a failed attempt: the line must fall quiet before the next
  // send. Both under the line lock.
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
