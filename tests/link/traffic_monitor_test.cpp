// What the frame monitor keeps of the link's traffic: a batch that several
// threads fill while a window takes from it loses nothing and mixes no
// thread's order; past its capacity it keeps the newest and counts the rest;
// the log shows a real transaction's bytes and verdict, keeps the last
// lines and saves them with bare line feeds.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "link/jbus_master.h"
#include "link/traffic_batch.h"
#include "link/traffic_log.h"
#include "sim/sim_bus.h"
#include "support/fake_line.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

TrafficEvent numbered(int thread, int index) {
  TrafficEvent event;
  event.kind = TrafficEvent::Kind::kSent;
  event.attempt = thread;
  event.code = index;
  event.at = TrafficEvent::Clock::now();
  return event;
}

TEST(TrafficBatch, ProducersOnSeveralThreadsLoseNothingWhileAWindowTakes) {
  constexpr int kThreads = 4;
  constexpr int kEach = 20000;
  // Room for everything: then nothing may be missing.
  TrafficBatch batch(kThreads * kEach);
  std::atomic<int> running{kThreads};
  std::vector<std::thread> producers;
  for (int t = 0; t < kThreads; ++t) {
    producers.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) batch.on_traffic(numbered(t, i));
      --running;
    });
  }
  std::map<int, int> next;  // per thread: the index expected next
  std::size_t received = 0;
  std::size_t dropped = 0;
  auto drain = [&] {
    TrafficBatch::Batch taken = batch.take();
    dropped += taken.dropped;
    for (const TrafficEvent& e : taken.events) {
      ASSERT_EQ(e.code, next[e.attempt]) << "thread " << e.attempt << " lost, twice or out of order";
      next[e.attempt] = e.code + 1;
      ++received;
    }
  };
  while (running.load() > 0) drain();
  for (auto& p : producers) p.join();
  drain();
  EXPECT_EQ(dropped, 0u);
  EXPECT_EQ(received, static_cast<std::size_t>(kThreads * kEach));
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next[t], kEach);
}

TEST(TrafficBatch, PastItsCapacityTheNewestStayAndTheRestAreCounted) {
  TrafficBatch batch(100);
  for (int i = 0; i < 1234; ++i) batch.on_traffic(numbered(0, i));
  TrafficBatch::Batch taken = batch.take();
  ASSERT_EQ(taken.events.size(), 100u);
  EXPECT_EQ(taken.dropped, 1134u);
  EXPECT_EQ(taken.events.front().code, 1134);
  EXPECT_EQ(taken.events.back().code, 1233);
  taken = batch.take();
  EXPECT_TRUE(taken.events.empty());
  EXPECT_EQ(taken.dropped, 0u);
}

// One read of the identification block from the simulated instrument, then
// one to a slave that is not there: the log shows the request, the answer and
// both verdicts in that order.
TEST(TrafficLog, ShowsARealTransactionAndItsVerdicts) {
  constexpr int kCom = 12;
  auto instrument = std::make_shared<sim::SimulatedInstrument>();
  sim::SimBus::attach("traffic-log", instrument, {});
  test::map_com(kCom, sim::SimBus::device("traffic-log"));
  JBusMaster master;
  auto batch = std::make_shared<TrafficBatch>();
  master.set_traffic_tap(batch);
  ASSERT_EQ(master.connect(kCom, 7), 0);
  master.set_answer_timeout(40);
  Bytes data;
  ASSERT_EQ(master.transact(1, 3, 0x1000, 2, data), 0);
  EXPECT_EQ(master.transact(9, 3, 0x1000, 1, data), 251);
  master.disconnect();
  sim::SimBus::detach("traffic-log");

  TrafficLog log;
  const std::vector<std::string> added = log.append(batch->take());
  ASSERT_GE(added.size(), 4u);
  EXPECT_EQ(added[0].substr(12), " > 01 03 10 00 00 02 c0 cb");
  EXPECT_EQ(added[1].substr(12, 12), " < 01 03 04 ") << added[1];
  EXPECT_EQ(added[2].substr(12), " = 0 success (attempt 1)");
  EXPECT_EQ(added.back().substr(12), " = 251 no answer from the instrument (attempt 3)");
  EXPECT_EQ(added[0][2], ':');
  EXPECT_EQ(added[0][8], '.');
  EXPECT_EQ(std::vector<std::string>(log.lines().begin(), log.lines().end()), added);
}

TEST(TrafficLog, KeepsTheLastLinesStampsThemToTheMillisecondAndSavesThem) {
  const TrafficLog::ClockAnchor anchor{TrafficEvent::Clock::time_point(std::chrono::seconds(100)),
                                       std::chrono::system_clock::time_point(
                                           std::chrono::milliseconds(1'700'000'000'250LL))};
  TrafficBatch::Batch batch;
  batch.dropped = 3;
  for (int i = 0; i < 12; ++i) {
    TrafficEvent e;
    e.kind = TrafficEvent::Kind::kReceived;
    e.bytes = {static_cast<std::uint8_t>(i)};
    e.at = anchor.steady + std::chrono::milliseconds(1005 + i);
    batch.events.push_back(e);
  }
  TrafficEvent modem;
  modem.kind = TrafficEvent::Kind::kModemAnswer;
  modem.text = "OK";
  batch.events.push_back(modem);

  TrafficLog log(10);
  const auto added = log.append(batch, anchor);
  ASSERT_EQ(added.size(), 10u) << "a batch larger than the list keeps its last lines";
  ASSERT_EQ(log.lines().size(), 10u);
  EXPECT_EQ(log.lines().front().substr(8), ".257 < 02");
  EXPECT_EQ(log.lines().back().substr(8), ".266 < 0b");

  test::TempDir dir;
  ASSERT_EQ(log.save(dir.file("trace.txt")), 0);
  std::ifstream in(dir.file("trace.txt"), std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  const std::string text = content.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 10), ".266 < 0b\n");

  EXPECT_EQ(log.save(dir.file("missing/trace.txt")), ENOENT);
  log.clear();
  EXPECT_TRUE(log.lines().empty());
  TrafficBatch::Batch lost;
  lost.dropped = 7;
  EXPECT_EQ(log.append(lost, anchor), std::vector<std::string>{"(7 older events were not kept)"});
}

}  // namespace
}  // namespace orvadw
