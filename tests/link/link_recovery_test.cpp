// LinkRecovery's pace: a poller hands it every failed poll, and a gone line
// is tried again at most once a retry period, however fast the polls fail.
#include <gtest/gtest.h>

#include "base/result_codes.h"
#include "link/jbus_master.h"
#include "link/link_recovery.h"
#include "link/port_map.h"
#include "support/fake_line.h"

namespace orvadw {
namespace {

using namespace std::chrono_literals;

constexpr int kCom = 37;
constexpr int kBaudIndex = 5;

class LinkRecoveryTest : public ::testing::Test {
 protected:
  void SetUp() override { test::map_com(kCom, "/nonexistent/orvadw-gone-adapter"); }
  void TearDown() override { PortMap::instance().set_device(kCom, ""); }
  JBusMaster master_;
};

TEST_F(LinkRecoveryTest, AGoneLineIsTriedOncePerPeriodAndAnAnswerCostsNothing) {
  LinkRecovery recovery(master_, kCom, kBaudIndex, 1h);
  EXPECT_FALSE(recovery.after_failed_poll(result::kNoSuchPort));
  EXPECT_EQ(recovery.tries(), 1);
  // Failed polls within the period wait for the next one.
  EXPECT_FALSE(recovery.after_failed_poll(result::kNoSuchPort));
  EXPECT_FALSE(recovery.after_failed_poll(result::kPortNotOpened));
  EXPECT_EQ(recovery.tries(), 1);
  EXPECT_FALSE(recovery.after_failed_poll(result::kOk));
  EXPECT_EQ(recovery.tries(), 1);
}

TEST_F(LinkRecoveryTest, WithoutAPeriodEveryFailedPollTriesAndNoneOpensAMissingDevice) {
  LinkRecovery recovery(master_, kCom, kBaudIndex, 0ms);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(recovery.after_failed_poll(result::kNoSuchPort));
  EXPECT_EQ(recovery.tries(), 3);
  EXPECT_FALSE(master_.is_connected());
}

}  // namespace
}  // namespace orvadw
