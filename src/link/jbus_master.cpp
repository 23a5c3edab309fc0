#include "link/jbus_master.h"

#include <algorithm>

#include "base/result_codes.h"

namespace orvadw {

namespace {

using Ms = std::chrono::duration<double, std::milli>;

// The longest answer we wait for: the byte count of a read answer is one
// byte, so anything far beyond 255 is a caller's mistake.
constexpr long long kMaxExpectedLength = 65536;
constexpr auto kMinQuiet = std::chrono::milliseconds(50);

}  // namespace

JBusMaster::~JBusMaster() { stop_polling(); }

double JBusMaster::char_time_ms(std::size_t n) const {
  int baud = baud_rate(baud_index());
  if (baud <= 0) baud = 9600;
  // 11 bit times a character: start, 8 data, parity or a second stop, stop.
  return static_cast<double>(n) * 11.0 * 1000.0 / baud;
}

std::chrono::milliseconds JBusMaster::quiet_time() const {
  // A frame ends after 3.5 character times of silence: four of them, or
  // 50 ms on fast lines (a loaded PC pauses longer than a character), tell
  // that nothing more of a late answer is coming. Never more than the gap
  // the link allows between two bytes of one answer.
  const auto frame_end = std::chrono::milliseconds(static_cast<long long>(char_time_ms(4)) + 1);
  const auto quiet = std::max(frame_end, kMinQuiet);
  const auto gap = std::chrono::milliseconds(std::max(inter_char_timeout(), 0));
  return std::min(quiet, std::max(gap, std::chrono::milliseconds(1)));
}

void JBusMaster::line_opened() { line_dirty_ = false; }

void JBusMaster::report_verdict(int attempt, int code) {
  if (!has_tap()) return;
  TrafficEvent event;
  event.kind = TrafficEvent::Kind::kVerdict;
  event.at = Clock::now();
  event.attempt = attempt;
  event.code = code;
  report(std::move(event));
}

int JBusMaster::transact(int slave, int function, int address, int count, Bytes& data,
                         int bytes_per_item) {
  return run_transaction(slave, function, address, count, data, bytes_per_item,
                         AttemptPlan{retries_, answer_timeout(), false});
}

int JBusMaster::probe(int slave, int function, int address, int count, Bytes& data,
                      int attempts, int answer_timeout_ms, bool give_up_when_silent) {
  if (attempts < 1) attempts = 1;
  return run_transaction(slave, function, address, count, data, 2,
                         AttemptPlan{attempts, answer_timeout_ms, give_up_when_silent});
}

int JBusMaster::run_transaction(int slave, int function, int address, int count, Bytes& data,
                                int bytes_per_item, const AttemptPlan& plan) {
  bool idle = false;
  if (!busy_.compare_exchange_strong(idle, true)) return result::kBusy;
  if (!acquire_line()) {
    busy_.store(false);
    return result::kBusy;
  }
  int rc;
  try {
    rc = run_attempts(slave, function, address, count, data, bytes_per_item, plan);
  } catch (...) {
    data.clear();
    rc = result::kGeneralFailure;
  }
  release_line();
  busy_.store(false);
  return rc;
}

int JBusMaster::run_attempts(int slave, int function, int address, int count, Bytes& data,
                             int bytes_per_item, const AttemptPlan& plan) {
  const int k = bytes_per_item == 0 ? 2 : bytes_per_item;
  const long long expected_ll =
      function == 16 ? 8 : static_cast<long long>(count) * k + 5;
  // Refuse what would put a malformed frame on the wire: a write whose byte
  // count would not match the bytes that follow it, fields that do not fit
  // their 16 bits, or a slave number that does not fit its byte (masking
  // 256 to 0 would address every instrument on the line).
  const bool bad_request =
      slave < 0 || slave > 255 || function < 0 || function > 255 || address < 0 ||
      address > 0xFFFF || count < 0 || count > 0xFFFF || k < 0 ||
      expected_ll > kMaxExpectedLength ||
      (function == 16 && static_cast<long long>((data.size() + 1) / 2) != count);
  if (bad_request) {
    data.clear();
    return result::kRequestNotBuilt;
  }
  if (!is_connected()) {
    data.clear();
    return result::kPortNotOpened;
  }
  if (!is_alive()) {
    data.clear();
    return result::kNoSuchPort;
  }
  if (cancel_requested()) {
    data.clear();
    return result::kCancelled;
  }

  const int baud_idx = baud_index();
  const float byte_delay =
      baud_idx == kBluetoothBaudIndex ? (function == 16 ? 0.02f : 0.003f) : 0.0f;
  channel().set_byte_delay(byte_delay);
  const int expected = static_cast<int>(expected_ll);

  if (exchange_.build_request(slave, function, address, count, bytes_per_item,
                              function == 16 ? data : Bytes{}) != 0) {
    data.clear();
    return result::kRequestNotBuilt;
  }
  data.clear();
  const Bytes request = exchange_.request_bytes();

  // Time budget of one attempt: the answer time-out, one inter-character
  // time-out of quiet, and the time the frames take on the line.
  const auto answer_timeout_ms = Ms(std::max(plan.answer_timeout_ms, 0));
  const auto ict = std::chrono::milliseconds(std::max(inter_char_timeout(), 0));
  const auto quiet = quiet_time();
  const Ms answer_frame(char_time_ms(static_cast<std::size_t>(expected)));
  const Ms frame(char_time_ms(request.size() + static_cast<std::size_t>(expected)) +
                 1000.0 * byte_delay * static_cast<double>(request.size()));
  const auto slack = std::chrono::milliseconds(5);
  const auto attempt_budget = std::chrono::duration_cast<Clock::duration>(
      answer_timeout_ms + Ms(ict) + frame + Ms(slack));
  const auto end_all = Clock::now() + attempt_budget * plan.attempts;

  int code = result::kNoAnswer;
  bool success = false;
  for (int attempt = 1; attempt <= plan.attempts; ++attempt) {
    if (attempt > 1 && Clock::now() >= end_all) break;
    if (cancel_requested()) {
      code = result::kCancelled;
      break;
    }
    attempt_.store(attempt);
    exchange_.reset_response();

    Bytes thrown;
    Bytes* keep = has_tap() ? &thrown : nullptr;
    if (line_dirty_) {
      // An answer to an earlier attempt may still be on its way: let the
      // line fall quiet before a new request goes out.
      const auto drain_deadline = std::min(
          Clock::now() + std::chrono::duration_cast<Clock::duration>(Ms(quiet) + answer_frame),
          end_all);
      const int drained = channel().drain_until_silent(quiet_since_, quiet, drain_deadline,
                                                       nullptr, keep, &cancel_flag());
      line_dirty_ = false;
      if (drained < 0 && !is_alive()) {
        code = result::kNoSuchPort;
        break;
      }
      if (cancel_requested()) {
        code = result::kCancelled;
        break;
      }
    }

    channel().purge(keep);
    if (!thrown.empty()) {
      report({TrafficEvent::Kind::kDiscarded, Clock::now(), std::move(thrown), attempt, 0, {}});
    }
    set_expected_length(expected);
    report({TrafficEvent::Kind::kSent, Clock::now(), request, attempt, 0, {}});
    const int sent_rc = channel().send(request);
    if (sent_rc < 0 && !is_alive()) {
      code = result::kNoSuchPort;
      report_verdict(attempt, code);
      break;
    }
    const auto sent = Clock::now();
    const auto wait_deadline = std::min(
        sent + std::chrono::duration_cast<Clock::duration>(answer_timeout_ms + answer_frame +
                                                           Ms(ict) + Ms(slack)),
        end_all);

    Bytes answer;
    int rc = wait_for_answer(answer, false, wait_deadline, plan.answer_timeout_ms);
    if (rc != 0) {
      code = rc;
      line_dirty_ = true;
      quiet_since_ = Clock::now();
      if (rc != result::kCancelled && !is_alive()) code = result::kNoSuchPort;
      report_verdict(attempt, code);
      // Nothing at all came back: at another speed, or with nobody there,
      // asking again only costs time.
      if (code != result::kNoAnswer || plan.give_up_when_silent) break;
      continue;
    }
    rc = exchange_.parse_response(answer);
    if (rc == 0) rc = exchange_.validate();
    report_verdict(attempt, rc);
    if (rc == 0) {
      success = true;
      // Answers to the attempts that failed may still arrive: the next
      // transaction waits for quiet first.
      if (attempt > 1) {
        line_dirty_ = true;
        quiet_since_ = last_byte_time();
      }
      break;
    }
    code = rc;
    line_dirty_ = true;
    quiet_since_ = last_byte_time();
  }

  if (!success) return code;
  const Bytes& response = exchange_.response_data();
  data.assign(response.begin() + 1, response.end());
  return result::kOk;
}

int JBusMaster::start_polling(NotifyTarget* target, int slave, int function, int address,
                              int count, int period_ms, int bytes_per_item, const Bytes& data) {
  if (poll_thread_.joinable()) {
    if (poll_thread_running_.load()) return -1;
    poll_thread_.join();  // it ended by itself; make room for a new one
  }
  {
    std::lock_guard<std::mutex> post_lock(post_mutex_);
    notify_ = target;
  }
  {
    std::lock_guard<std::mutex> lock(poll_mutex_);
    resume_ = false;
    period_ms_ = period_ms < 0 ? 0 : period_ms;
  }
  {
    std::lock_guard<std::mutex> lock(request_mutex_);
    poll_request_ = PollRequest{slave, function, address, count, data, bytes_per_item, 0};
    poll_write_data_ = data;
  }
  polling_.store(true);
  poll_thread_running_.store(true);
  try {
    poll_thread_ = std::thread(&JBusMaster::poll_loop, this);
  } catch (...) {
    polling_.store(false);
    poll_thread_running_.store(false);
    return -1;
  }
  return 0;
}

void JBusMaster::stop_polling() {
  if (!poll_thread_.joinable()) return;
  if (poll_thread_.get_id() == std::this_thread::get_id()) {
    polling_.store(false);
    return;
  }
  {
    std::lock_guard<std::mutex> post_lock(post_mutex_);
    polling_.store(false);
  }
  {
    std::lock_guard<std::mutex> lock(poll_mutex_);
    resume_ = true;
  }
  poll_cv_.notify_all();
  poll_thread_.join();
}

void JBusMaster::set_poll_request(int slave, int function, int address, int count,
                                  const Bytes& data, int bytes_per_item) {
  std::lock_guard<std::mutex> lock(request_mutex_);
  poll_request_.slave = slave;
  poll_request_.function = function;
  poll_request_.address = address;
  poll_request_.count = count;
  poll_request_.data = data;
  poll_request_.bytes_per_item = bytes_per_item;
  poll_write_data_ = data;
}

JBusMaster::PollRequest JBusMaster::poll_result() const {
  std::lock_guard<std::mutex> lock(request_mutex_);
  return poll_request_;
}

void JBusMaster::resume_polling() {
  {
    std::lock_guard<std::mutex> lock(poll_mutex_);
    resume_ = true;
  }
  poll_cv_.notify_all();
}

void JBusMaster::poll_loop() {
  while (polling_.load()) {
    int rc;
    {
      // Held through the transaction so that set_poll_request() and
      // poll_result() never see a request and an answer that do not match.
      std::lock_guard<std::mutex> request_lock(request_mutex_);
      PollRequest& r = poll_request_;
      // A polled write sends the same bytes each time, not the last echo.
      Bytes data = r.function == 16 ? poll_write_data_ : Bytes{};
      rc = transact(r.slave, r.function, r.address, r.count, data, r.bytes_per_item);
      // A refused transaction leaves the bytes it was given: they are the
      // request, never an answer.
      if (rc != 0) data.clear();
      r.data = std::move(data);
      r.last_result = rc;
    }
    {
      // stop_polling() takes this lock too: once it has cleared the flag no
      // post can follow. A target may call resume_polling() from inside.
      std::lock_guard<std::mutex> post_lock(post_mutex_);
      if (notify_ == nullptr || !polling_.load()) break;
      notify_->post_message(kNewFrameMessage, 0, 0);
    }
    std::unique_lock<std::mutex> lock(poll_mutex_);
    poll_cv_.wait(lock, [this] { return resume_ || !polling_.load(); });
    resume_ = false;
    if (!polling_.load()) break;
    // A device that has gone away, or a line that could not be opened again,
    // fails at once; keep such polls paced. (Told by the code: the port may
    // be replaced by another thread now.)
    auto period = std::chrono::milliseconds(period_ms_);
    if (rc == result::kNoSuchPort || rc == result::kPortNotOpened) {
      period = std::max(period, std::chrono::milliseconds(200));
    }
    poll_cv_.wait_for(lock, period, [this] { return !polling_.load(); });
  }
  poll_thread_running_.store(false);
}

}  // namespace orvadw
