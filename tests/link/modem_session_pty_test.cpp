// The modem dialogue through the real termios driver against orvadw-sim's
// Hayes front end: dial through the link's modem hook, a JBus read over the
// call, and the hang-up; a refused call leaves the link without a line.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "base/result_codes.h"
#include "base/text_table.h"
#include "link/jbus_master.h"
#include "link/modem_session.h"
#include "link/port_map.h"
#include "tests/support/sim_process.h"

namespace orvadw {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kCom = 61;
const std::string kInit = modem_init_command("&F S95=0 E0 Q0 V1 W2 &K0 M0");
const std::string kDial = modem_dial_command(0, "0123");
const std::string kHangUp = modem_hang_up_command("H0");

class Reports : public NotifyTarget {
 public:
  explicit Reports(JBusLink* link) : link_(link) {}
  void post_message(std::string_view, long, long) override {}
  long send_message(std::string_view, long code, const std::string& text) override {
    // The simulator answers in one piece: a short silence ends an answer.
    link_->set_inter_char_timeout(150);
    std::lock_guard<std::mutex> lock(mutex_);
    codes_.push_back(code);
    texts_.push_back(text);
    cv_.notify_all();
    return 1;
  }
  // The text of the first report with this code (waits for it).
  bool wait_code(long code, std::string& text, milliseconds within = milliseconds(20000)) {
    std::unique_lock<std::mutex> lock(mutex_);
    const bool seen = cv_.wait_for(lock, within, [&] {
      for (std::size_t i = 0; i < codes_.size(); ++i) {
        if (codes_[i] == code) {
          text = texts_[i];
          return true;
        }
      }
      return false;
    });
    return seen;
  }
  std::vector<long> codes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return codes_;
  }

 private:
  JBusLink* link_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<long> codes_;
  std::vector<std::string> texts_;
};

bool wait_finished(const ModemSession& session) {
  const auto deadline = Clock::now() + milliseconds(20000);
  while (session.is_running()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(milliseconds(5));
  }
  return true;
}

class ModemPtyTest : public ::testing::Test {
 protected:
  bool start_sim(const std::string& dial_answer) {
    if (!sim_.start({"--modem", "--dial-answer", dial_answer, "--dial-delay", "100",
                     "--guard-ms", "300"})) {
      return false;
    }
    PortMap::instance().set_scan_devices(false);
    PortMap::instance().set_device(kCom, sim_.link());
    return true;
  }
  // The window's part, as the link's modem hook: dial and wait for the answer.
  void install_hook(Reports& reports) {
    master_.set_modem_connect_hook([&](JBusLink& link) {
      if (session_.dial(&reports, &link, kEnglish, kCom, 5, kInit, kDial, 'N', 8, 1) != 0) return 1;
      std::string answer;
      if (!reports.wait_code(ModemSession::kDialAnswerEvent, answer)) return 1;
      return answer.find("CONNECT") != std::string::npos ? 0 : 1;
    });
  }

  test::SimProcess sim_;
  JBusMaster master_;
  ModemSession session_;
};

TEST_F(ModemPtyTest, DialReadAndHangUp) {
  ASSERT_TRUE(start_sim("CONNECT"));
  Reports reports(&master_);
  install_hook(reports);
  bool modem_connected = false;
  ASSERT_EQ(master_.connect(kCom, 5, 'N', 8, 1, true, modem_connected), 0);
  EXPECT_TRUE(modem_connected);
  EXPECT_EQ(reports.codes(), (std::vector<long>{0, 0, 1, 0, 0, 2}));
  ASSERT_TRUE(wait_finished(session_));

  // Connected: connect answers at once, and JBus frames reach the instrument.
  ASSERT_EQ(master_.connect(kCom, 5, 'N', 8, 1, true, modem_connected), 0);
  master_.set_answer_timeout(1000);
  Bytes data;
  ASSERT_EQ(master_.transact(1, 3, 0xFF00, 25, data), 0);
  ASSERT_EQ(data.size(), 50u);
  EXPECT_EQ(data[1], 1);  // the instrument's JBus number
  EXPECT_EQ(std::string(data.begin() + 10, data.begin() + 17), "10-11-A");

  Reports hang_up_reports(&master_);
  ASSERT_EQ(session_.hang_up(&hang_up_reports, &master_, modem_connected, kEnglish, kCom, 5,
                             kHangUp, 'N', 8, 1),
            0);
  EXPECT_FALSE(modem_connected);
  std::string answer;
  ASSERT_TRUE(hang_up_reports.wait_code(ModemSession::kHangUpAnswerEvent, answer));
  EXPECT_NE(answer.find("OK"), std::string::npos);
  ASSERT_TRUE(wait_finished(session_));
  EXPECT_EQ(hang_up_reports.codes(), (std::vector<long>{0, 100, 0, 0, 101}));

  // After the hang-up the line no longer carries frames to the instrument.
  master_.set_answer_timeout(300);
  EXPECT_NE(master_.transact(1, 3, 0xFF00, 25, data), 0);

  master_.disconnect();
  ASSERT_EQ(sim_.stop(), 0);
  const auto counts = sim_.counts();
  EXPECT_EQ(counts.at("modem_dials"), 1);
  EXPECT_EQ(counts.at("modem_connects"), 1);
  EXPECT_EQ(counts.at("modem_escapes"), 1);
  EXPECT_EQ(counts.at("modem_hangups"), 1);
  EXPECT_EQ(counts.at("modem_commands"), 3);  // init, dial, hang-up
}

TEST_F(ModemPtyTest, RefusedCallsReportTheirAnswerAndLeaveTheModemOffLine) {
  for (const std::string refusal : {"BUSY", "NO DIALTONE", "NO CARRIER"}) {
    SCOPED_TRACE(refusal);
    test::SimProcess sim;
    ASSERT_TRUE(sim.start({"--modem", "--dial-answer", refusal, "--dial-delay", "100",
                           "--guard-ms", "300"}));
    PortMap::instance().set_device(kCom, sim.link());
    JBusMaster master;
    ModemSession session;
    Reports reports(&master);
    master.set_modem_connect_hook([&](JBusLink& link) {
      if (session.dial(&reports, &link, kEnglish, kCom, 5, kInit, kDial, 'N', 8, 1) != 0) return 1;
      std::string answer;
      if (!reports.wait_code(ModemSession::kDialAnswerEvent, answer)) return 1;
      return answer.find("CONNECT") != std::string::npos ? 0 : 1;
    });
    bool modem_connected = false;
    EXPECT_EQ(master.connect(kCom, 5, 'N', 8, 1, true, modem_connected), result::kModemCancelled);
    EXPECT_FALSE(modem_connected);
    std::string answer;
    ASSERT_TRUE(reports.wait_code(ModemSession::kDialAnswerEvent, answer));
    EXPECT_EQ(answer, "\r\n" + refusal + "\r\n");
    session.stop();
    master.disconnect();
    ASSERT_EQ(sim.stop(), 0);
    EXPECT_EQ(sim.counts().at("modem_connects"), 0);
    EXPECT_EQ(sim.counts().at("modem_dials"), 1);
  }
}

}  // namespace
}  // namespace orvadw
