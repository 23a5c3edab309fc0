// The instrument search over scripted lines: the order of its tries, the
// port, speed and JBus number it finds, that trying the ports side by side
// finds what the one-by-one order finds, and that a cancel ends it at once.
#include "link/instrument_search.h"

#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <utility>
#include <vector>

#include "base/result_codes.h"
#include "link/port_map.h"
#include "support/fake_line.h"

namespace orvadw {
namespace {

using test::Clock;
using test::FakeLine;
using std::chrono::milliseconds;
using Try = std::pair<int, int>;  // COM number, speed index

class Recorder : public SearchListener {
 public:
  void port_checked(int com, bool available) override {
    std::lock_guard<std::mutex> lock(mutex_);
    checked.emplace_back(com, available);
  }
  void try_started(int com, int baud) override {
    std::lock_guard<std::mutex> lock(mutex_);
    tries.emplace_back(com, baud);
  }
  void search_finished(const SearchResult& r) override {
    std::lock_guard<std::mutex> lock(mutex_);
    finished.push_back(r);
  }
  std::vector<Try> tries_of(int com) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Try> out;
    for (const Try& t : tries) {
      if (t.first == com) out.push_back(t);
    }
    return out;
  }
  std::mutex mutex_;
  std::vector<std::pair<int, bool>> checked;
  std::vector<Try> tries;
  std::vector<SearchResult> finished;
};

// An instrument with its own JBus number that hears only one speed.
void instrument_at(FakeLine& line, int baud, std::uint8_t jbus) {
  line.set_peer([baud, jbus](FakeLine& l, const Bytes& request) {
    if (l.last_baud() != baud) return;  // noise at any other speed
    const int count = request[4] << 8 | request[5];
    Bytes data{static_cast<std::uint8_t>(2 * count)};
    for (int i = 0; i < count; ++i) {
      data.push_back(0);
      data.push_back(i == 0 ? jbus : 0x20);
    }
    JBusFrame f;
    f.build(jbus, request[1], data);
    l.queue(f.raw(), milliseconds(1));
  });
}

class InstrumentSearchTest : public ::testing::Test {
 protected:
  void SetUp() override { PortMap::instance().clear(); }
  void TearDown() override { PortMap::instance().clear(); }
  std::shared_ptr<FakeLine> line(int com, const std::string& name) {
    auto l = FakeLine::create(name);
    test::map_com(com, "fake:" + name);
    return l;
  }
  static SearchPlan plan(std::vector<int> ports, bool side_by_side) {
    SearchPlan p;
    p.ports = std::move(ports);
    p.baud_count = 7;
    p.id_count = 25;
    p.answer_timeout_ms = 60;
    p.side_by_side = side_by_side;
    p.give_up_when_silent = side_by_side;
    return p;
  }
};

TEST_F(InstrumentSearchTest, OneByOneItTriesEverySpeedFromTheTopAndFindsComThreeAt9600) {
  auto free_line = line(1, "search-free");
  auto instrument = line(3, "search-instrument");
  instrument_at(*instrument, 9600, 17);
  Recorder recorder;
  InstrumentSearch search(plan({3, 1, 2}, false), &recorder);
  const SearchResult r = search.run();
  EXPECT_EQ(r.port, 3);
  EXPECT_EQ(r.baud_index, 5);
  EXPECT_EQ(r.jbus_number, 17);  // asked as slave 0, answered with its own number
  EXPECT_FALSE(r.cancelled);
  EXPECT_EQ(recorder.checked, (std::vector<std::pair<int, bool>>{{1, true}, {2, false}, {3, true}}));
  const std::vector<Try> expected{{1, 6}, {1, 5}, {1, 4}, {1, 3}, {1, 2}, {1, 1},
                                  {1, 0}, {3, 6}, {3, 5}};
  EXPECT_EQ(recorder.tries, expected);
  ASSERT_EQ(recorder.finished.size(), 1u);
  EXPECT_EQ(recorder.finished[0].port, 3);
  // Every request went to slave 0; one-by-one, a silent try is asked 3 times.
  ASSERT_FALSE(free_line->requests().empty());
  for (const Bytes& request : free_line->requests()) EXPECT_EQ(request[0], 0);
  EXPECT_EQ(free_line->requests().size(), 7u * 3u);
}

TEST_F(InstrumentSearchTest, SideBySideFindsWhatTheOneByOneOrderFinds) {
  // Two instruments: COM4 answers at a higher speed index, hence sooner, but
  // COM2 is the lower port and wins, as in the one-by-one order.
  auto silent = line(1, "side-silent");
  auto low = line(2, "side-low");
  auto high = line(4, "side-high");
  instrument_at(*low, 1200, 21);
  instrument_at(*high, 9600, 42);
  SearchResult one_by_one = InstrumentSearch(plan({1, 2, 4}, false)).run();
  const std::size_t asked_before = silent->requests().size();
  Recorder recorder;
  const auto start = Clock::now();
  SearchResult side = InstrumentSearch(plan({1, 2, 4}, true), &recorder).run();
  const auto took = Clock::now() - start;
  EXPECT_EQ(one_by_one.port, 2);
  EXPECT_EQ(one_by_one.baud_index, 2);
  EXPECT_EQ(one_by_one.jbus_number, 21);
  EXPECT_EQ(side.port, one_by_one.port);
  EXPECT_EQ(side.baud_index, one_by_one.baud_index);
  EXPECT_EQ(side.jbus_number, one_by_one.jbus_number);
  // The lower port tried its speeds in the same order; COM4 stopped at its
  // first answer, and silent tries were asked once.
  EXPECT_EQ(recorder.tries_of(2), (std::vector<Try>{{2, 6}, {2, 5}, {2, 4}, {2, 3}, {2, 2}}));
  EXPECT_EQ(recorder.tries_of(4), (std::vector<Try>{{4, 6}, {4, 5}}));
  EXPECT_EQ(silent->requests().size() - asked_before, 7u);
  // Side by side it costs COM1's seven silent tries, not all ports' in a row.
  EXPECT_LT(took, milliseconds(7 * 60 * 3));
}

TEST_F(InstrumentSearchTest, NothingAnsweringLeavesEveryResultUnset) {
  line(1, "none-1");
  line(2, "none-2");
  const SearchResult r = InstrumentSearch(plan({1, 2, 9}, true)).run();
  EXPECT_FALSE(r.found());
  EXPECT_EQ(r.port, -1);
  EXPECT_EQ(r.baud_index, -1);
  EXPECT_EQ(r.jbus_number, -1);
  EXPECT_FALSE(r.cancelled);
}

TEST_F(InstrumentSearchTest, CancelEndsTheSearchAtOnce) {
  auto a = line(1, "cancel-1");
  auto b = line(2, "cancel-2");
  SearchPlan p = plan({1, 2}, true);
  p.answer_timeout_ms = 5000;
  Recorder recorder;
  InstrumentSearch search(p, &recorder);
  search.start();
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while ((a->requests().empty() || b->requests().empty()) && Clock::now() < deadline) {
    std::this_thread::yield();
  }
  ASSERT_FALSE(a->requests().empty());
  const auto asked = Clock::now();
  search.cancel();
  auto waited = std::async(std::launch::async, [&] { return search.wait(); });
  ASSERT_EQ(waited.wait_for(std::chrono::seconds(3)), std::future_status::ready);
  const SearchResult r = waited.get();
  EXPECT_LT(Clock::now() - asked, milliseconds(100 + 200));  // goal 100 ms; room for a loaded CI
  EXPECT_TRUE(r.cancelled);
  EXPECT_FALSE(r.found());
  EXPECT_EQ(a->requests().size(), 1u);
  ASSERT_EQ(recorder.finished.size(), 1u);
  EXPECT_TRUE(recorder.finished[0].cancelled);
}

}  // namespace
}  // namespace orvadw
