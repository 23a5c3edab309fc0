// The traffic tap handed to a window: a transaction on another thread shows
// its request, answer and verdict on the window's thread, in order.
#include "dialogs/traffic_relay.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <thread>
#include <vector>

#include "link/jbus_master.h"
#include "support/dialog_test_env.h"

namespace orvadw {
namespace {

TEST(TrafficRelayTest, ATransactionOnAnotherThreadIsShownOnTheWindowsThreadInOrder) {
  test::DialogTestEnv env;
  env.attach();
  QObject window;
  std::vector<TrafficEvent> shown;
  bool on_window_thread = true;
  JBusMaster master;
  master.set_traffic_tap(std::make_shared<TrafficRelay>(&window, [&](const TrafficEvent& e) {
    on_window_thread = on_window_thread && QThread::currentThread() == window.thread();
    shown.push_back(e);
  }));
  std::thread worker([&] {
    ASSERT_EQ(master.connect(test::kSimCom, 5), 0);
    Bytes data;
    EXPECT_EQ(master.transact(1, 3, 0xFF00, 1, data), 0);
  });
  worker.join();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (shown.size() < 3 && std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_TRUE(on_window_thread);
  EXPECT_EQ(shown[0].kind, TrafficEvent::Kind::kSent);
  JBusFrame request;
  request.build(1, 3, {0xFF, 0x00, 0x00, 0x01});
  EXPECT_EQ(shown[0].bytes, request.raw());
  EXPECT_EQ(shown[1].kind, TrafficEvent::Kind::kReceived);
  EXPECT_EQ(shown[1].bytes.size(), 7u);
  EXPECT_EQ(shown[2].kind, TrafficEvent::Kind::kVerdict);
  EXPECT_EQ(shown[2].code, 0);
  EXPECT_EQ(shown[2].attempt, 1);
  master.disconnect();
}

}  // namespace
}  // namespace orvadw
