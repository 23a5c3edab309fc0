// The Hayes front end as a state machine, with the time passed in: commands,
// dialling results, the "+++" escape and its guard times, hang-up.
#include "sim/hayes_modem.h"

#include <gtest/gtest.h>

namespace orvadw::sim {
namespace {

using namespace std::chrono_literals;
using Clock = HayesModem::Clock;

class Modem {
 public:
  explicit Modem(HayesModem::Options o = {}) : modem_(o) {}

  // Sends text at the current time and returns what the modem said at once.
  std::string type(const std::string& text) {
    modem_.from_pc(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), now_);
    return said();
  }
  std::string wait(std::chrono::milliseconds ms) {
    now_ += ms;
    modem_.tick(now_);
    return said();
  }
  std::string said() {
    const auto b = modem_.take_for_pc();
    return std::string(b.begin(), b.end());
  }
  std::string passed() {
    const auto b = modem_.take_for_instrument();
    return std::string(b.begin(), b.end());
  }
  HayesModem& modem() { return modem_; }
  Clock::time_point now() const { return now_; }

 private:
  HayesModem modem_;
  Clock::time_point now_ = Clock::time_point{} + 1h;
};

HayesModem::Options options(const std::string& answer = "CONNECT") {
  HayesModem::Options o;
  o.dial_answer = answer;
  o.dial_delay_ms = 200;
  o.guard_ms = 1000;
  o.baud = 9600;
  return o;
}

TEST(HayesModem, AnswersCommandLinesInCommandMode) {
  Modem m(options());
  EXPECT_EQ(m.type("AT\r"), "\r\nOK\r\n");
  EXPECT_EQ(m.type("at &F S95=0 E0 Q0 V1 W2 &K0 M0\r\n"), "\r\nOK\r\n");
  EXPECT_EQ(m.type("aT"), "");  // nothing until the carriage return
  EXPECT_EQ(m.type("z\r"), "\r\nOK\r\n");
  EXPECT_EQ(m.type("hello\r"), "");      // not a command
  EXPECT_EQ(m.type("\x01\x03zzAT\r"), "\r\nOK\r\n");  // noise before AT is skipped
  EXPECT_EQ(m.type("ATO\r"), "\r\nNO CARRIER\r\n");  // no call to go back to
  EXPECT_EQ(m.passed(), "");                // nothing reaches the instrument
  EXPECT_EQ(m.modem().counters().commands, 5u);
  EXPECT_FALSE(m.modem().call_up());

  // A runaway line is thrown away, and the next one works.
  EXPECT_EQ(m.type("AT" + std::string(HayesModem::kMaxLine + 10, 'x') + "\r"), "");
  EXPECT_EQ(m.type("AT\r"), "\r\nOK\r\n");
}

TEST(HayesModem, DialConnectsAfterTheDelayAndCarriesData) {
  Modem m(options());
  EXPECT_EQ(m.type("ATDT0123\r\n"), "");
  ASSERT_TRUE(m.modem().next_deadline().has_value());
  EXPECT_EQ(*m.modem().next_deadline(), m.now() + 200ms);
  EXPECT_EQ(m.wait(150ms), "");
  EXPECT_EQ(m.wait(50ms), "\r\nCONNECT 9600\r\n");
  EXPECT_TRUE(m.modem().call_up());
  EXPECT_TRUE(m.modem().carrying_data());
  EXPECT_FALSE(m.modem().next_deadline().has_value());

  // Data mode: bytes pass unchanged, "AT" included, and nothing is answered.
  EXPECT_EQ(m.type(std::string("\x01\x03\x00\x00\x00\x01\x84\x0A", 8)), "");
  EXPECT_EQ(m.passed(), std::string("\x01\x03\x00\x00\x00\x01\x84\x0A", 8));
  EXPECT_EQ(m.type("AT\r"), "");
  EXPECT_EQ(m.passed(), "AT\r");
}

TEST(HayesModem, DialResultsOtherThanConnectLeaveTheCallDown) {
  for (const std::string answer : {"BUSY", "NO DIALTONE", "NO CARRIER"}) {
    Modem m(options(answer));
    m.type("ATDP555\r");
    EXPECT_EQ(m.wait(200ms), "\r\n" + answer + "\r\n");
    EXPECT_FALSE(m.modem().call_up());
    EXPECT_EQ(m.type("\x01\x03"), "");
    EXPECT_EQ(m.passed(), "");
    EXPECT_EQ(m.type("AT\r"), "\r\nOK\r\n");  // back in command mode
    EXPECT_EQ(m.modem().counters().connects, 0u);
  }
}

TEST(HayesModem, EscapeNeedsSilenceOnBothSides) {
  Modem m(options());
  m.type("ATD1\r");
  m.wait(200ms);
  ASSERT_TRUE(m.modem().carrying_data());

  // Data, then "+++" too soon after it: data.
  m.type("x");
  m.wait(500ms);
  EXPECT_EQ(m.type("+++"), "");
  EXPECT_EQ(m.wait(1000ms), "");
  EXPECT_TRUE(m.modem().carrying_data());
  EXPECT_EQ(m.passed(), "x+++");

  // Silence, "+++", then data within the guard time: data again.
  m.wait(1000ms);
  m.type("+++");
  EXPECT_EQ(m.passed(), "");  // held while it may still be an escape
  m.wait(500ms);
  m.type("y");
  EXPECT_EQ(m.passed(), "+++y");
  EXPECT_TRUE(m.modem().carrying_data());

  // Silence, "+++", silence: command mode, the call stays up.
  m.wait(1000ms);
  m.type("+++");
  EXPECT_EQ(m.wait(999ms), "");
  EXPECT_EQ(m.wait(1ms), "\r\nOK\r\n");
  EXPECT_FALSE(m.modem().carrying_data());
  EXPECT_TRUE(m.modem().call_up());
  EXPECT_EQ(m.passed(), "");
  EXPECT_EQ(m.modem().counters().escapes, 1u);

  // Back on line, then out again and hang up.
  EXPECT_EQ(m.type("ATO\r"), "\r\nCONNECT\r\n");
  EXPECT_TRUE(m.modem().carrying_data());
  m.wait(1000ms);
  m.type("+++");
  EXPECT_EQ(m.wait(1000ms), "\r\nOK\r\n");
  EXPECT_EQ(m.type("AT H0\r\n"), "\r\nOK\r\n");
  EXPECT_FALSE(m.modem().call_up());
  EXPECT_EQ(m.type("ATO\r"), "\r\nNO CARRIER\r\n");
  EXPECT_EQ(m.modem().counters().hangups, 1u);
}

TEST(HayesModem, AStrayPlusIsDataAfterTheGuardTime) {
  Modem m(options());
  m.type("ATD1\r");
  m.wait(200ms);
  m.wait(2000ms);
  m.type("+");  // slave number 43 starts a request with 0x2B
  EXPECT_EQ(m.passed(), "");
  m.type(std::string("\x03", 1));
  EXPECT_EQ(m.passed(), "+\x03");
  m.wait(2000ms);
  m.type("++");
  EXPECT_EQ(m.wait(1000ms), "");
  EXPECT_EQ(m.passed(), "++");
  EXPECT_TRUE(m.modem().carrying_data());
}

TEST(HayesModem, ResetEndsTheCall) {
  Modem m(options());
  m.type("ATD1\r");
  m.wait(200ms);
  ASSERT_TRUE(m.modem().call_up());
  m.type("partial");
  m.modem().reset();
  EXPECT_FALSE(m.modem().call_up());
  EXPECT_EQ(m.passed(), "");
  EXPECT_EQ(m.type("AT\r"), "\r\nOK\r\n");
  EXPECT_EQ(m.modem().counters().hangups, 1u);
}

}  // namespace
}  // namespace orvadw::sim
