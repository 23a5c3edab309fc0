#include "link/modem_session.h"

#include <chrono>
#include <system_error>

#include "base/cp1252.h"
#include "base/text_table.h"

namespace orvadw {

namespace {

constexpr const char* kCommandEnd = "\r\n";
// How often stop() repeats its wake-up of a worker that is still running: a
// wake-up can miss a read that is just starting.
constexpr auto kStopRetry = std::chrono::milliseconds(20);

bool contains(const std::string& text, const char* what) {
  return text.find(what) != std::string::npos;
}

// Opens the line without the modem hook: the dialogue itself talks to the
// modem.
int connect_direct(JBusLink& link, int port_number, int baud_index, char parity, int data_bits,
                   int stop_bits) {
  bool no_modem = false;
  return link.connect(port_number, baud_index, parity, data_bits, stop_bits, false, no_modem);
}

}  // namespace

std::string modem_init_command(std::string_view init_string) {
  return "AT " + std::string(init_string) + kCommandEnd;
}

std::string modem_dial_command(int numerotation, std::string_view number) {
  return std::string(numerotation == 0 ? "ATDT" : "ATDP") + std::string(number) + kCommandEnd;
}

std::string modem_hang_up_command(std::string_view disconnect_string) {
  return "AT " + std::string(disconnect_string) + kCommandEnd;
}

std::string escape_report_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out.push_back(c);
    if (c == '&' || c == '%') out.push_back(c);
  }
  return out;
}

std::string unescape_report_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    out.push_back(c);
    if ((c == '&' || c == '%') && i + 1 < text.size() && text[i + 1] == c) ++i;
  }
  return out;
}

ModemSession::~ModemSession() { stop(); }

bool ModemSession::is_running() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !finished_;
}

std::string ModemSession::last_report() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return last_report_;
}

void ModemSession::join_exited_locked() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->exited->load()) {
      if (it->thread.joinable()) it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

int ModemSession::dial(NotifyTarget* target, JBusLink* link, int language, int port_number,
                       int baud_index, const std::string& init_command,
                       const std::string& dial_command, char parity, int data_bits,
                       int stop_bits) {
  if (link == nullptr) return -1;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!finished_) return -1;
    link_ = link;
  }
  const int rc = connect_direct(*link, port_number, baud_index, parity, data_bits, stop_bits);
  if (rc != 0) return rc;

  return start_worker(Dialogue::kDial, link, target, language, init_command, dial_command);
}

int ModemSession::hang_up(NotifyTarget* target, JBusLink* link, bool& modem_connected,
                          int language, int port_number, int baud_index,
                          const std::string& hang_up_command, char parity, int data_bits,
                          int stop_bits) {
  if (link == nullptr) return -1;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!finished_) return -1;
    if (!modem_connected) return -1;
    link_ = link;
  }
  if (!link->is_connected()) {
    const int rc = connect_direct(*link, port_number, baud_index, parity, data_bits, stop_bits);
    if (rc != 0) return rc;
  }
  modem_connected = false;

  return start_worker(Dialogue::kHangUp, link, target, language, hang_up_command, {});
}

int ModemSession::start_worker(Dialogue dialogue, JBusLink* link, NotifyTarget* target,
                               int language, const std::string& first_command,
                               const std::string& second_command) {
  Job job;
  job.dialogue = dialogue;
  job.link = link;
  job.target = target;
  job.language = language;
  job.first_command = first_command;
  job.second_command = second_command;
  job.saved_answer_timeout = link->answer_timeout();
  std::unique_lock<std::mutex> lock(mutex_);
  join_exited_locked();
  cancel_.store(false);
  started_ = false;
  finished_ = false;
  auto exited = std::make_shared<std::atomic<bool>>(false);
  try {
    workers_.push_back(Worker{std::thread(&ModemSession::run, this, job, exited), exited});
  } catch (const std::system_error&) {
    finished_ = true;
    return -1;
  }
  cv_.wait(lock, [this] { return started_; });
  return 0;
}

void ModemSession::run(Job job, const std::shared_ptr<std::atomic<bool>>& exited) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    started_ = true;
  }
  cv_.notify_all();
  if (job.dialogue == Dialogue::kDial) {
    run_dial(job);
  } else {
    run_hang_up(job);
  }
  // Last touch of this object by the worker: from here on it may be joined.
  std::lock_guard<std::mutex> lock(mutex_);
  exited->store(true);
  cv_.notify_all();
}

bool ModemSession::ask(const Job& job, int label_id, const std::string& command, int timeout_ms,
                       std::string& answer) {
  if (!report(job, kStepEvent, text_of(label_id, job.language)) ||
      !report(job, kStepEvent, escape_report_text(command))) {
    return false;
  }
  job.link->set_answer_timeout(timeout_ms);
  send(job, command);
  answer = receive(job);
  return true;
}

void ModemSession::run_dial(Job& job) {
  std::string init_answer;
  if (!ask(job, kInitLabelId, job.first_command, kInitTimeoutMs, init_answer) || cancelled() ||
      !report(job, kInitAnswerEvent, escape_report_text(init_answer) + kLineBreak) ||
      !contains(init_answer, "OK")) {
    finish(job);
    return;
  }

  std::string dial_answer;
  if (!ask(job, kDialLabelId, job.second_command, kDialTimeoutMs, dial_answer)) {
    finish(job);
    return;
  }
  // Finished before the last report: the window may start the hang-up from
  // inside it.
  finish(job);
  if (!cancelled()) report(job, kDialAnswerEvent, escape_report_text(dial_answer));
}

void ModemSession::run_hang_up(Job& job) {
  if (!guard_wait() ||
      !report(job, kStepEvent, std::string(kLineBreak) + kModemEscape + kLineBreak)) {
    finish(job);
    return;
  }
  send(job, kModemEscape);
  job.link->set_answer_timeout(kHangUpTimeoutMs);
  const std::string escape_answer = receive(job);
  if (cancelled() ||
      !report(job, kEscapeAnswerEvent, escape_report_text(escape_answer) + kLineBreak)) {
    finish(job);
    return;
  }
  if (contains(escape_answer, "OK")) {
    std::string hang_up_answer;
    if (!ask(job, kHangUpLabelId, job.first_command, kHangUpTimeoutMs, hang_up_answer)) {
      finish(job);
      return;
    }
    // The line is the windows' again before the window hears the outcome.
    job.link->set_answer_timeout(job.saved_answer_timeout);
    if (!cancelled()) report(job, kHangUpAnswerEvent, escape_report_text(hang_up_answer));
  }
  finish(job);
}

bool ModemSession::report(const Job& job, int code, const std::string& text) {
  if (cancelled()) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    last_report_ = text;
  }
  if (job.target != nullptr) job.target->send_message(kInfoModemMessage, code, text);
  return !cancelled();
}

void ModemSession::send(const Job& job, const std::string& command) {
  if (cancelled()) return;
  job.link->report({TrafficEvent::Kind::kModemCommand, TrafficEvent::Clock::now(), {}, 0, 0,
                    command});
  // A failed send shows as a missing answer, which every step handles.
  job.link->send_text(cp1252_from_utf8(command));
}

std::string ModemSession::receive(const Job& job) {
  if (cancelled()) return {};
  in_receive_.store(true);
  std::string bytes;
  // Re-checked after the flag is up, so that stop() either sees the flag or
  // this sees the cancel.
  if (!cancelled()) job.link->receive_text(bytes);
  in_receive_.store(false);
  if (cancelled()) return {};
  std::string answer = utf8_from_cp1252(bytes);
  job.link->report({TrafficEvent::Kind::kModemAnswer, TrafficEvent::Clock::now(), {}, 0, 0,
                    answer});
  return answer;
}

bool ModemSession::guard_wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  cv_.wait_for(lock, std::chrono::milliseconds(kGuardMs), [this] { return cancel_.load(); });
  return !cancel_.load();
}

void ModemSession::finish(const Job& job) {
  job.link->set_answer_timeout(job.saved_answer_timeout);
  std::lock_guard<std::mutex> lock(mutex_);
  finished_ = true;
}

void ModemSession::cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (workers_.empty()) return;
  cancel_.store(true);
  cv_.notify_all();
}

void ModemSession::stop() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (workers_.empty()) return;
  cancel_.store(true);
  cv_.notify_all();
  const auto all_exited = [this] {
    for (const Worker& w : workers_) {
      if (!w.exited->load()) return false;
    }
    return true;
  };
  while (!all_exited()) {
    if (in_receive_.load() && link_ != nullptr) {
      // Ends the pending read on the reader thread, which then hands the
      // link its time-out: the answer wait ends as if the line were silent.
      link_->channel().interrupt_read();
    }
    cv_.wait_for(lock, kStopRetry, all_exited);
  }
  std::vector<Worker> done;
  done.swap(workers_);
  lock.unlock();
  for (Worker& w : done) {
    if (w.thread.joinable()) w.thread.join();
  }
  lock.lock();
  finished_ = true;
}

}  // namespace orvadw
