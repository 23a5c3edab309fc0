#pragma once
// The Hayes modem dialogue, run on a worker thread of its own so that the
// window that shows it stays alive: initialise and dial, or escape to command
// mode and hang up. Each step is reported to a NotifyTarget with
// "WM_INFO_MODEM" (event code, text) through send_message, so every report
// has been handled before the worker goes on.
//
// Event codes: 0 a step begins (a label or the command sent), 1 the answer
// to the initialisation, 2 the answer to the dial command, 100 the answer to
// "+++", 101 the answer to the hang-up command. Commands and answers are
// reported with "&" doubled to "&&" and "%" to "%%"; the commands themselves
// go to the modem unchanged.
//
// Closing: stop() ends a running dialogue early and waits for its thread. It
// interrupts the guard wait and a pending answer wait at once, so a window
// that closes never waits out a 60 s dial. A report that the window can no
// longer take must not hold the worker: the target's send_message has to give
// up once the target is closing (close the target first, then stop()).
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "link/jbus_link.h"
#include "link/notify_target.h"

namespace orvadw {

// Commands built from the Modem settings; each ends with "\r\n" except the
// escape sequence.
// "AT " + the initialisation string.
std::string modem_init_command(std::string_view init_string);
// "ATDT" (numerotation 0, tone) or "ATDP" (any other value, pulse) + number.
std::string modem_dial_command(int numerotation, std::string_view number);
// "AT " + the disconnect string.
std::string modem_hang_up_command(std::string_view disconnect_string);
inline constexpr const char* kModemEscape = "+++";

// "&" -> "&&" and "%" -> "%%", as the reports carry commands and answers.
std::string escape_report_text(std::string_view text);
// The exact inverse: a window that shows report texts as plain text undoes
// the doubling so that the modem's "&" appears once.
std::string unescape_report_text(std::string_view text);

class ModemSession {
 public:
  static constexpr const char* kInfoModemMessage = "WM_INFO_MODEM";
  enum Event {
    kStepEvent = 0,
    kInitAnswerEvent = 1,
    kDialAnswerEvent = 2,
    kEscapeAnswerEvent = 100,
    kHangUpAnswerEvent = 101,
  };
  static constexpr int kInitTimeoutMs = 3000;
  static constexpr int kDialTimeoutMs = 60000;
  static constexpr int kHangUpTimeoutMs = 3000;
  static constexpr int kGuardMs = 1500;  // silence before "+++"
  // The line break put after some reports.
  static constexpr const char* kLineBreak = "\r\n";
  // Text ids of the step labels.
  static constexpr int kInitLabelId = 102;
  static constexpr int kDialLabelId = 154;
  static constexpr int kHangUpLabelId = 172;

  ModemSession() = default;
  // Stops a running dialogue (see stop()).
  ~ModemSession();
  ModemSession(const ModemSession&) = delete;
  ModemSession& operator=(const ModemSession&) = delete;

  // Opens the line directly on COM<port_number> and starts the dialling
  // dialogue. 0 once the worker runs; -1 when a dialogue is already running
  // or the thread cannot start; otherwise the link's connect code (the line
  // could not be opened, nothing is sent).
  int dial(NotifyTarget* target, JBusLink* link, int language, int port_number, int baud_index,
           const std::string& init_command, const std::string& dial_command, char parity,
           int data_bits, int stop_bits);

  // Starts the hang-up dialogue. -1 when a dialogue is already running,
  // modem_connected is not set, or the thread cannot start. When the link
  // holds no open port it is connected directly first; its connect code is
  // returned when that fails (modem_connected is then left set). On success
  // modem_connected is cleared before the worker starts.
  int hang_up(NotifyTarget* target, JBusLink* link, bool& modem_connected, int language,
              int port_number, int baud_index, const std::string& hang_up_command, char parity,
              int data_bits, int stop_bits);

  // Asks a running dialogue to end at its next step (no further command is
  // sent, no further report made) and returns at once. A window calls it
  // before it lets go of a report the worker waits on, so that the worker
  // does not take the release for an answer and go on.
  void cancel();
  // cancel(), then cuts short the guard or answer wait under way and waits
  // until every worker thread has ended.
  void stop();

  // True from the start of a dialogue until it has set finished (the last
  // report of the dial dialogue comes after that).
  bool is_running() const;
  // The text of the last report (as reported, doubled characters included).
  std::string last_report() const;

 private:
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> exited;
  };
  enum class Dialogue { kDial, kHangUp };
  // What one worker works with, copied when it starts, so that a dialogue
  // started from inside the last report of another one leaves it alone.
  struct Job {
    Dialogue dialogue = Dialogue::kDial;
    JBusLink* link = nullptr;
    NotifyTarget* target = nullptr;
    int language = 1;
    std::string first_command;   // initialisation, or hang-up
    std::string second_command;  // dial
    int saved_answer_timeout = 0;
  };

  // Builds the job (the link's answer time-out saved) and starts its worker.
  int start_worker(Dialogue dialogue, JBusLink* link, NotifyTarget* target, int language,
                   const std::string& first_command, const std::string& second_command);
  void run(Job job, const std::shared_ptr<std::atomic<bool>>& exited);
  void run_dial(Job& job);
  void run_hang_up(Job& job);
  // One command of a dialogue: reports the step's label and the command,
  // sends it under timeout_ms and takes the answer. False, with nothing
  // sent, when a report found the dialogue stopped.
  bool ask(const Job& job, int label_id, const std::string& command, int timeout_ms,
           std::string& answer);
  // Sends a report; false when the dialogue has been stopped meanwhile.
  bool report(const Job& job, int code, const std::string& text);
  // The answer to the last command within the answer time-out; "" when none
  // came or the dialogue was stopped.
  std::string receive(const Job& job);
  void send(const Job& job, const std::string& command);
  bool cancelled() const { return cancel_.load(); }
  // Waits for the guard time; false when stopped meanwhile.
  bool guard_wait();
  // Puts the answer time-out back and marks the dialogue finished.
  void finish(const Job& job);
  void join_exited_locked();

  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<Worker> workers_;
  bool started_ = false;
  bool finished_ = true;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> in_receive_{false};

  std::string last_report_;   // guarded by mutex_
  JBusLink* link_ = nullptr;  // of the running dialogue, for stop()
};

}  // namespace orvadw
