// The dialling dialogue against a modem that answers with the input: the
// commands go out exactly as built, each answer is reported exactly as the
// modem sent it (with "&" and "%" doubled, and nothing else changed), the
// dial follows only an initialisation answer that holds "OK", and the
// dialogue always ends.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "base/cp1252.h"
#include "base/text_table.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/fuzz_input.h"
#include "fuzz/support/scripted_port.h"
#include "link/jbus_link.h"
#include "link/modem_session.h"

namespace orvadw::fuzz {

namespace {

constexpr int kLanguage = 2;
constexpr std::size_t kAnswerLimit = JBusLink::kDefaultExpectedLength;

struct Report {
  long code;
  std::string text;
  bool operator==(const Report&) const = default;
};

class ReportLog : public NotifyTarget {
 public:
  void post_message(std::string_view, long, long) override {}
  long send_message(std::string_view, long code, const std::string& text) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      reports_.push_back({code, text});
    }
    cv_.notify_all();
    return 0;
  }
  // Waits until the dialogue's last report can have come; false at the deadline.
  bool wait_for_end(bool dial_expected) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] {
      for (const Report& r : reports_) {
        if (r.code == (dial_expected ? ModemSession::kDialAnswerEvent
                                     : ModemSession::kInitAnswerEvent)) {
          return true;
        }
      }
      return false;
    });
  }
  std::vector<Report> reports() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<Report> reports_;
};

ScriptedAnswer answer_from(FuzzInput& in) {
  ScriptedAnswer answer;
  const std::size_t segments = 1 + in.pick(3);
  for (std::size_t s = 0; s < segments; ++s) answer.segments.push_back(in.counted_bytes());
  return answer;
}

// The answer as the link hands it over: up to the first silence.
std::string heard(const ScriptedAnswer& answer) {
  std::string bytes(answer.segments.front().begin(), answer.segments.front().end());
  if (bytes.size() > kAnswerLimit) bytes.resize(kAnswerLimit);
  return utf8_from_cp1252(bytes);
}

std::string text_of_bytes(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

int fuzz_modem_answer(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const int numerotation = in.byte() & 1;
  const std::string init_string = text_of_bytes(in.counted_bytes());
  const std::string number = text_of_bytes(in.counted_bytes());
  Script script;
  script.answers.push_back(answer_from(in));
  script.answers.push_back(answer_from(in));
  set_script(&script);

  const std::string init_command = modem_init_command(init_string);
  const std::string dial_command = modem_dial_command(numerotation, number);
  const std::string init_answer = heard(script.answers[0]);
  const bool dials = init_answer.find("OK") != std::string::npos;

  ReportLog log;
  JBusLink link;
  {
    ModemSession session;
    FUZZ_CHECK(session.dial(&log, &link, kLanguage, kScriptedComNumber, 5, init_command,
                            dial_command, 'N', 8, 1) == 0,
               "the dialogue did not start");
    FUZZ_CHECK(log.wait_for_end(dials), "the dialogue did not end");
    session.stop();
    FUZZ_CHECK(!session.is_running(), "the dialogue runs after stop()");
  }
  link.disconnect();

  std::vector<Report> expected = {
      {ModemSession::kStepEvent, text_of(ModemSession::kInitLabelId, kLanguage)},
      {ModemSession::kStepEvent, escape_report_text(init_command)},
      {ModemSession::kInitAnswerEvent, escape_report_text(init_answer) + ModemSession::kLineBreak},
  };
  std::vector<std::string> sent = {cp1252_from_utf8(init_command)};
  if (dials) {
    expected.push_back({ModemSession::kStepEvent, text_of(ModemSession::kDialLabelId, kLanguage)});
    expected.push_back({ModemSession::kStepEvent, escape_report_text(dial_command)});
    expected.push_back(
        {ModemSession::kDialAnswerEvent, escape_report_text(heard(script.answers[1]))});
    sent.push_back(cp1252_from_utf8(dial_command));
  }
  FUZZ_CHECK(log.reports() == expected, "the reports differ from the dialogue");
  std::vector<std::string> written;
  for (const auto& w : script.written) written.push_back(text_of_bytes(w));
  FUZZ_CHECK(written == sent, "the modem did not get exactly the commands");
  FUZZ_CHECK(unescape_report_text(escape_report_text(init_answer)) == init_answer,
             "a reported answer does not read back");
  set_script(nullptr);
  return 0;
}

}  // namespace orvadw::fuzz
