// The modem dialogue against a scripted modem: the bytes on the line, the
// order and texts of the reports, the answer time-outs, and that a closing
// window can always end it.
#include "link/modem_session.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/result_codes.h"
#include "base/text_table.h"
#include "link/jbus_master.h"
#include "support/scripted_modem_line.h"

namespace orvadw {
namespace {

using test::ScriptedModemLine;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kCom = 41;
constexpr const char* kInit = "AT &F S95=0 E0 Q0 V1 W2 &K0 M0\r\n";
constexpr const char* kDial = "ATDT0123\r\n";
constexpr const char* kHangUp = "AT H0\r\n";

// Records the reports as the window would get them, one at a time, and lets
// a test act inside a report (as the window's handler does).
class RecordingTarget : public NotifyTarget {
 public:
  struct Report {
    std::string name;
    long code;
    std::string text;
    int answer_timeout;  // the link's, while the report was handled
    Clock::time_point handled;
  };

  explicit RecordingTarget(JBusLink* link) : link_(link) {}

  void post_message(std::string_view, long, long) override {}
  long send_message(std::string_view name, long code, const std::string& text) override {
    // Answers of the scripted modem come at once: a short silence ends them.
    link_->set_inter_char_timeout(60);
    if (on_report) on_report(code, text);
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.push_back(Report{std::string(name), code, text, link_->answer_timeout(), Clock::now()});
    cv_.notify_all();
    return 1;
  }

  bool wait_reports(std::size_t n, milliseconds within = milliseconds(15000)) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, within, [&] { return reports_.size() >= n; });
  }
  std::vector<Report> reports() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
  }
  std::vector<long> codes() const {
    std::vector<long> out;
    for (const auto& r : reports()) out.push_back(r.code);
    return out;
  }

  std::function<void(long, const std::string&)> on_report;

 private:
  JBusLink* link_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<Report> reports_;
};

// Waits until the session's dialogue has finished (bounded).
bool wait_finished(const ModemSession& session, milliseconds within = milliseconds(15000)) {
  const auto deadline = Clock::now() + within;
  while (session.is_running()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(milliseconds(5));
  }
  return true;
}

TEST(ModemCommands, BuiltFromTheModemSettings) {
  EXPECT_EQ(modem_dial_command(0, "0123"), "ATDT0123\r\n");
  EXPECT_EQ(modem_dial_command(1, "0123"), "ATDP0123\r\n");
  EXPECT_EQ(modem_dial_command(-3, "9"), "ATDP9\r\n");  // anything but 0 is pulse
  EXPECT_EQ(modem_dial_command(0, ""), "ATDT\r\n");
  EXPECT_EQ(modem_init_command("&F S95=0 E0 Q0 V1 W2 &K0 M0"), kInit);
  EXPECT_EQ(modem_hang_up_command("H0"), kHangUp);
  EXPECT_EQ(modem_hang_up_command(""), "AT \r\n");
  EXPECT_STREQ(kModemEscape, "+++");
}

TEST(ModemCommands, ReportTextDoublingAndItsInverse) {
  EXPECT_EQ(escape_report_text("AT &F 100% &&"), "AT &&F 100%% &&&&");
  EXPECT_EQ(escape_report_text("plain"), "plain");
  for (const std::string text : {"", "&", "%", "a&b%c", "&&&", "%%%%", "&%&%", "x&"}) {
    EXPECT_EQ(unescape_report_text(escape_report_text(text)), text) << text;
  }
  // A lone character (not produced by the doubling) is kept.
  EXPECT_EQ(unescape_report_text("a&b"), "a&b");
  EXPECT_EQ(unescape_report_text("&&&"), "&&");
}

class ModemSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    line_ = ScriptedModemLine::create("session", kCom);
    line_->set_script(test::hayes_script("CONNECT 9600"));
    link_.set_answer_timeout(777);
  }
  int dial(const std::string& init = kInit, const std::string& dial_command = kDial) {
    return session_.dial(&target_, &link_, kEnglish, kCom, 5, init, dial_command, 'N', 8, 1);
  }
  int hang_up(bool& connected, const std::string& command = kHangUp) {
    return session_.hang_up(&target_, &link_, connected, kEnglish, kCom, 5, command, 'N', 8, 1);
  }

  std::shared_ptr<ScriptedModemLine> line_;
  JBusMaster link_;
  RecordingTarget target_{&link_};
  ModemSession session_;
};

TEST_F(ModemSessionTest, DialReportsEachStepAndSendsTheCommandsUnchanged) {
  std::vector<int> timeouts_at_commands;
  line_->set_script([&](ScriptedModemLine& line, const std::string& command) {
    timeouts_at_commands.push_back(link_.answer_timeout());
    test::hayes_script("CONNECT 9600 & more")(line, command);
  });
  ASSERT_EQ(dial(), 0);
  ASSERT_TRUE(target_.wait_reports(6));
  ASSERT_TRUE(wait_finished(session_));

  EXPECT_EQ(line_->written(), std::string(kInit) + kDial);
  const auto reports = target_.reports();
  ASSERT_EQ(reports.size(), 6u);
  for (const auto& r : reports) EXPECT_EQ(r.name, "WM_INFO_MODEM");
  EXPECT_EQ(target_.codes(), (std::vector<long>{0, 0, 1, 0, 0, 2}));
  EXPECT_EQ(reports[0].text, text_of(102, kEnglish));
  EXPECT_EQ(reports[1].text, "AT &&F S95=0 E0 Q0 V1 W2 &&K0 M0\r\n");
  EXPECT_EQ(reports[2].text, "\r\nOK\r\n\r\n");  // the answer and a line break
  EXPECT_EQ(reports[3].text, text_of(154, kEnglish));
  EXPECT_EQ(reports[4].text, "ATDT0123\r\n");
  EXPECT_EQ(reports[5].text, "\r\nCONNECT 9600 && more\r\n");
  EXPECT_EQ(session_.last_report(), reports[5].text);

  // 3 s for the initialisation, 60 s for the dial, then the line's own again.
  ASSERT_EQ(timeouts_at_commands.size(), 2u);
  EXPECT_EQ(timeouts_at_commands[0], 3000);
  EXPECT_EQ(timeouts_at_commands[1], 60000);
  EXPECT_EQ(reports[2].answer_timeout, 3000);
  EXPECT_EQ(link_.answer_timeout(), 777);
  EXPECT_TRUE(link_.is_connected());  // the line stays open for the instrument
}

TEST_F(ModemSessionTest, LabelsFollowTheLanguage) {
  ASSERT_EQ(session_.dial(&target_, &link_, kFrench, kCom, 5, kInit, kDial, 'N', 8, 1), 0);
  ASSERT_TRUE(target_.wait_reports(6));
  EXPECT_EQ(target_.reports()[0].text, "Initialisation : ");
  EXPECT_EQ(target_.reports()[3].text, text_of(154, kFrench));
}

TEST_F(ModemSessionTest, InitialisationWithoutOkNeverDials) {
  for (const std::string answer : {"\r\nERROR\r\n", ""}) {
    SCOPED_TRACE(answer);
    link_.disconnect();
    SetUp();
    RecordingTarget target(&link_);
    line_->set_script([answer](ScriptedModemLine& line, const std::string&) {
      if (!answer.empty()) line.say(answer);
    });
    ASSERT_EQ(session_.dial(&target, &link_, kEnglish, kCom, 5, kInit, kDial, 'N', 8, 1), 0);
    ASSERT_TRUE(wait_finished(session_));
    session_.stop();  // joins the worker: no report can come later
    EXPECT_EQ(target.codes(), (std::vector<long>{0, 0, 1}));
    EXPECT_EQ(target.reports().back().text, answer + "\r\n");
    EXPECT_EQ(line_->written(), kInit);
    EXPECT_EQ(link_.answer_timeout(), 777);
  }
}

TEST_F(ModemSessionTest, DialAnswersAreReportedAsTheyCame) {
  for (const std::string answer : {"BUSY", "NO DIALTONE", "NO CARRIER"}) {
    SCOPED_TRACE(answer);
    link_.disconnect();
    SetUp();
    RecordingTarget target(&link_);
    line_->set_script(test::hayes_script(answer));
    ASSERT_EQ(session_.dial(&target, &link_, kEnglish, kCom, 5, kInit, kDial, 'N', 8, 1), 0);
    ASSERT_TRUE(target.wait_reports(6));
    EXPECT_EQ(target.reports()[5].code, 2);
    EXPECT_EQ(target.reports()[5].text, "\r\n" + answer + "\r\n");
  }
}

TEST_F(ModemSessionTest, PulseDiallingAndOddTextsReachTheModemUnchanged) {
  ASSERT_EQ(dial(modem_init_command("&F 50%"), modem_dial_command(1, "9,0123")), 0);
  ASSERT_TRUE(target_.wait_reports(6));
  EXPECT_EQ(line_->written(), "AT &F 50%\r\nATDP9,0123\r\n");
  EXPECT_EQ(target_.reports()[1].text, "AT &&F 50%%\r\n");
  EXPECT_EQ(target_.reports()[4].text, "ATDP9,0123\r\n");
}

TEST_F(ModemSessionTest, EachReportIsHandledBeforeTheWorkerGoesOn) {
  Clock::time_point init_answer_handled{};
  target_.on_report = [&](long code, const std::string&) {
    if (code == 1) {
      std::this_thread::sleep_for(milliseconds(300));
      init_answer_handled = Clock::now();
    }
  };
  ASSERT_EQ(dial(), 0);
  ASSERT_TRUE(target_.wait_reports(6));
  const auto writes = line_->writes();
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[1].text, kDial);
  EXPECT_GE(writes[1].at, init_answer_handled);
}

TEST_F(ModemSessionTest, OnlyOneDialogueAtATimeAndAPortThatDoesNotOpen) {
  line_->set_script([](ScriptedModemLine& line, const std::string& command) {
    if (command.rfind("ATD", 0) != 0) line.say("\r\nOK\r\n");  // the dial stays unanswered
  });
  ASSERT_EQ(dial(), 0);
  ASSERT_TRUE(line_->wait_commands(2, milliseconds(10000)));
  EXPECT_TRUE(session_.is_running());
  EXPECT_EQ(dial(), -1);
  bool connected = true;
  EXPECT_EQ(hang_up(connected), -1);
  EXPECT_TRUE(connected);
  session_.stop();
  EXPECT_FALSE(session_.is_running());

  line_->set_open_failure(result::kNoSuchPort);
  link_.disconnect();
  RecordingTarget quiet(&link_);
  EXPECT_EQ(session_.dial(&quiet, &link_, kEnglish, kCom, 5, kInit, kDial, 'N', 8, 1),
            result::kPortNotOpened);
  EXPECT_FALSE(session_.is_running());
  EXPECT_TRUE(quiet.reports().empty());
  bool still_connected = true;
  EXPECT_EQ(session_.hang_up(&quiet, &link_, still_connected, kEnglish, kCom, 5, kHangUp, 'N', 8, 1),
            result::kPortNotOpened);
  EXPECT_TRUE(still_connected);  // nothing was hung up
  EXPECT_TRUE(quiet.reports().empty());
}

TEST_F(ModemSessionTest, HangUpWaitsTheGuardThenEscapesAndHangsUp) {
  ASSERT_EQ(link_.connect(kCom, 5), 0);
  link_.set_inter_char_timeout(60);
  std::vector<int> timeouts_at_commands;
  line_->set_script([&](ScriptedModemLine& line, const std::string& command) {
    timeouts_at_commands.push_back(link_.answer_timeout());
    test::hayes_script("CONNECT")(line, command);
  });
  bool connected = true;
  const auto asked = Clock::now();
  ASSERT_EQ(hang_up(connected), 0);
  EXPECT_FALSE(connected);  // cleared when the hang-up starts
  ASSERT_TRUE(target_.wait_reports(5));
  ASSERT_TRUE(wait_finished(session_));
  session_.stop();

  EXPECT_EQ(line_->written(), std::string("+++") + kHangUp);
  const auto writes = line_->writes();
  ASSERT_FALSE(writes.empty());
  EXPECT_EQ(writes[0].text, "+++");  // no terminator
  EXPECT_GE(writes[0].at - asked, milliseconds(1500));

  EXPECT_EQ(target_.codes(), (std::vector<long>{0, 100, 0, 0, 101}));
  const auto reports = target_.reports();
  EXPECT_EQ(reports[0].text, "\r\n+++\r\n");
  EXPECT_EQ(reports[1].text, "\r\nOK\r\n\r\n");
  EXPECT_EQ(reports[1].answer_timeout, 3000);
  EXPECT_EQ(reports[2].text, text_of(172, kEnglish));
  EXPECT_EQ(reports[3].text, "AT H0\r\n");
  EXPECT_EQ(reports[4].text, "\r\nOK\r\n");
  ASSERT_EQ(timeouts_at_commands.size(), 2u);
  EXPECT_EQ(timeouts_at_commands[1], 3000);
  EXPECT_EQ(link_.answer_timeout(), 777);
}

TEST_F(ModemSessionTest, HangUpStopsWhenTheEscapeIsNotAcknowledged) {
  ASSERT_EQ(link_.connect(kCom, 5), 0);
  line_->set_script([](ScriptedModemLine& line, const std::string&) { line.say("\r\nERROR\r\n"); });
  bool connected = true;
  ASSERT_EQ(hang_up(connected), 0);
  ASSERT_TRUE(target_.wait_reports(2));
  ASSERT_TRUE(wait_finished(session_));
  session_.stop();
  EXPECT_EQ(target_.codes(), (std::vector<long>{0, 100}));
  EXPECT_EQ(line_->written(), "+++");
}

TEST_F(ModemSessionTest, HangUpWhenNotConnectedDoesNothing) {
  bool connected = false;
  EXPECT_EQ(hang_up(connected), -1);
  EXPECT_FALSE(connected);
  EXPECT_FALSE(session_.is_running());
  EXPECT_EQ(line_->opens(), 0);
  EXPECT_TRUE(line_->written().empty());
  EXPECT_TRUE(target_.reports().empty());
}

TEST_F(ModemSessionTest, HangUpOpensTheLineWhenItIsClosed) {
  ASSERT_FALSE(link_.is_connected());
  bool connected = true;
  ASSERT_EQ(hang_up(connected), 0);
  EXPECT_EQ(line_->opens(), 1);
  EXPECT_TRUE(link_.is_connected());
  ASSERT_TRUE(target_.wait_reports(5));
  EXPECT_EQ(target_.codes(), (std::vector<long>{0, 100, 0, 0, 101}));
}

// The window starts the hang-up from inside the last dial report, while the
// dial worker still waits for that report to be handled.
TEST_F(ModemSessionTest, HangUpStartedFromTheDialAnswer) {
  line_->set_script(test::hayes_script("NO CARRIER"));
  std::atomic<int> hang_up_result{99};
  target_.on_report = [&](long code, const std::string&) {
    if (code != 2) return;
    bool local_connected = true;
    hang_up_result = hang_up(local_connected);
  };
  ASSERT_EQ(dial(), 0);
  ASSERT_TRUE(target_.wait_reports(11));
  ASSERT_TRUE(wait_finished(session_));
  session_.stop();
  EXPECT_EQ(hang_up_result.load(), 0);
  EXPECT_EQ(target_.codes(), (std::vector<long>{0, 0, 1, 0, 0, 2, 0, 100, 0, 0, 101}));
  EXPECT_EQ(line_->written(), std::string(kInit) + kDial + "+++" + kHangUp);
}

TEST_F(ModemSessionTest, StopEndsAnUnansweredDialAtOnce) {
  line_->set_script([](ScriptedModemLine& line, const std::string& command) {
    if (command.rfind("ATD", 0) != 0) line.say("\r\nOK\r\n");
  });
  ASSERT_EQ(dial(), 0);
  ASSERT_TRUE(line_->wait_commands(2, milliseconds(10000)));
  ASSERT_TRUE(target_.wait_reports(5));
  std::this_thread::sleep_for(milliseconds(100));  // well inside the 60 s wait
  const auto asked = Clock::now();
  session_.stop();
  EXPECT_LT(Clock::now() - asked, milliseconds(10000));  // not the 60 s dial time-out
  EXPECT_FALSE(session_.is_running());
  EXPECT_EQ(target_.codes(), (std::vector<long>{0, 0, 1, 0, 0}));  // no dial report after stop
  EXPECT_EQ(link_.answer_timeout(), 777);

  // The line is usable afterwards: a new dialogue gets its answers.
  line_->set_script(test::hayes_script("CONNECT"));
  RecordingTarget again(&link_);
  ASSERT_EQ(session_.dial(&again, &link_, kEnglish, kCom, 5, kInit, kDial, 'N', 8, 1), 0);
  ASSERT_TRUE(again.wait_reports(6));
  EXPECT_EQ(again.reports()[5].text, "\r\nCONNECT\r\n");
}

TEST_F(ModemSessionTest, StopDuringTheGuardSendsNoEscape) {
  ASSERT_EQ(link_.connect(kCom, 5), 0);
  bool connected = true;
  ASSERT_EQ(hang_up(connected), 0);
  session_.stop();
  EXPECT_FALSE(session_.is_running());
  EXPECT_TRUE(line_->written().empty());
  EXPECT_TRUE(target_.reports().empty());
}

// A target that cannot deliver while the window is busy closing: its send
// only returns once it has been closed.
class ClosingTarget : public NotifyTarget {
 public:
  void post_message(std::string_view, long, long) override {}
  long send_message(std::string_view, long, const std::string&) override {
    std::unique_lock<std::mutex> lock(mutex_);
    ++sends_;
    cv_.notify_all();
    cv_.wait(lock, [&] { return closed_; });
    return 0;
  }
  void close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    cv_.notify_all();
  }
  bool wait_send(milliseconds within) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, within, [&] { return sends_ > 0; });
  }
  int sends() {
    std::lock_guard<std::mutex> lock(mutex_);
    return sends_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  int sends_ = 0;
  bool closed_ = false;
};

TEST_F(ModemSessionTest, StopWhileAReportCannotBeDelivered) {
  ClosingTarget target;
  ASSERT_EQ(session_.dial(&target, &link_, kEnglish, kCom, 5, kInit, kDial, 'N', 8, 1), 0);
  ASSERT_TRUE(target.wait_send(milliseconds(10000)));
  std::thread closer([&] {
    std::this_thread::sleep_for(milliseconds(50));
    target.close();
  });
  session_.stop();
  closer.join();
  EXPECT_FALSE(session_.is_running());
  EXPECT_EQ(target.sends(), 1);     // nothing more was reported
  EXPECT_TRUE(line_->written().empty());  // and nothing sent to the modem
}

// The window's order when it closes: cancel, let the report go, then stop.
TEST_F(ModemSessionTest, ACancelledWorkerTakesNoReleasedReportForAnAnswer) {
  ClosingTarget target;
  ASSERT_EQ(session_.dial(&target, &link_, kEnglish, kCom, 5, kInit, kDial, 'N', 8, 1), 0);
  ASSERT_TRUE(target.wait_send(milliseconds(10000)));
  session_.cancel();
  target.close();
  session_.stop();
  EXPECT_EQ(target.sends(), 1);
  EXPECT_TRUE(line_->written().empty());
  EXPECT_EQ(link_.answer_timeout(), 777);
}

TEST_F(ModemSessionTest, DestroyingARunningSessionEndsIt) {
  line_->set_script([](ScriptedModemLine& line, const std::string& command) {
    if (command.rfind("ATD", 0) != 0) line.say("\r\nOK\r\n");
  });
  {
    ModemSession session;
    ASSERT_EQ(session.dial(&target_, &link_, kEnglish, kCom, 5, kInit, kDial, 'N', 8, 1), 0);
    ASSERT_TRUE(line_->wait_commands(2, milliseconds(10000)));
  }
  EXPECT_EQ(link_.answer_timeout(), 777);
}

}  // namespace
}  // namespace orvadw
