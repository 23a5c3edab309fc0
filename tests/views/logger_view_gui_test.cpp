// The logger view against the simulated instrument: the download one entry
// per request, the 20-row table, save and load, and a dead line that never
// holds the user.
#include "views/logger_view.h"

#include <gtest/gtest.h>

#include <QTest>

#include "files/record_file.h"
#include "link/traffic_tap.h"
#include "sim/sim_bus.h"
#include "support/view_test_env.h"
#include "ui/field_binder.h"
#include "ui/grid_view.h"
#include "ui/notifying_button.h"

namespace orvadw {
namespace {

using test::ViewTestEnv;

class LoggerViewTest : public ::testing::Test {
 protected:
  void SetUp() override { master.set_answer_timeout(150); }
  std::unique_ptr<LoggerView> open(int mode = 1, const std::string& path = {}) {
    auto view = std::make_unique<LoggerView>(&master, mode, path, nullptr, env.configuration_path());
    view->show();
    return view;
  }
  static sim::InstrumentOptions with_entries(int n) {
    sim::InstrumentOptions options = ViewTestEnv::manual();
    options.logger_entries = n;
    return options;
  }
  ViewTestEnv env;
  JBusMaster master;
};

TEST_F(LoggerViewTest, TwentyRowsOfTwentyFiveEntriesAndTheRestIsNeverAskedFor) {
  auto instrument = env.attach(with_entries(25));
  auto view = open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->download() && view->download()->finished(); }, 10000));
  EXPECT_TRUE(view->binder()->missing_controls().empty());
  EXPECT_FALSE(view->progress_shown());
  EXPECT_FALSE(master.is_polling());
  // One identification read, then exactly one request per row.
  EXPECT_EQ(instrument->counters().requests, 21u);
  GridView* grid = view->binder()->grid(1292);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(&grid->table(), &view->table().grid()) << "the window shows the field's cells";
  EXPECT_EQ(grid->cell(0, 3), "T Obt(µs)");
  EXPECT_EQ(grid->cell(20, 0), "20");
  EXPECT_FALSE(grid->cell(20, 1).isEmpty());
  EXPECT_TRUE(view->button(OperatingView::kRecordButton)->isVisible()) << "save shown once complete";
  EXPECT_TRUE(view->button(OperatingView::kPrintButton)->isVisible());
  EXPECT_FALSE(view->button(OperatingView::kNextButton)->isVisible());
}

TEST_F(LoggerViewTest, SevenEntriesSavedAsSevenRecordsAndShownAgainFromTheFile) {
  auto instrument = env.attach(with_entries(7));
  auto view = open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->download() && view->download()->finished(); }, 10000));
  EXPECT_EQ(view->table().entry_count(), 7);
  EXPECT_EQ(instrument->counters().requests, 9u) << "seven entries and the end mark";
  EXPECT_FALSE(view->button(OperatingView::kExportButton)->isVisible());

  const std::string path = env.file("seven.log");
  env.files.queue_answer(QString::fromStdString(env.file("seven")));  // the extension is added
  view->button(OperatingView::kRecordButton)->click();
  EXPECT_TRUE(view->button(OperatingView::kExportButton)->isVisible());
  RecordFile file;
  std::string text;
  DateTime saved;
  ASSERT_EQ(file.open(path, false), 0);
  ASSERT_EQ(file.read_header(text, saved), 0);
  ASSERT_EQ(file.record_count(), 7);
  std::vector<std::uint8_t> record;
  ASSERT_EQ(file.read_record(6, record), 0);
  const std::vector<std::uint8_t> sent = instrument->logger_entry(6);
  EXPECT_EQ(record, std::vector<std::uint8_t>(sent.begin(), sent.begin() + 10)) << "the bytes received";
  EXPECT_EQ(text.substr(0, 7), "Logger\n");

  auto loaded = open(4, path);
  ASSERT_TRUE(QTest::qWaitFor([&] { return loaded->started(); }, 5000));
  ASSERT_TRUE(loaded->isVisible());
  for (int r = 0; r <= 20; ++r) {
    EXPECT_EQ(loaded->table().grid().row(r), view->table().grid().row(r)) << "row " << r;
  }
  EXPECT_TRUE(loaded->button(OperatingView::kPrintButton)->isVisible());
  EXPECT_FALSE(loaded->button(OperatingView::kRecordButton)->isVisible());
  EXPECT_TRUE(loaded->windowTitle().contains(QString::fromStdString(saved.format_date())));
  EXPECT_TRUE(env.messages.shown().empty());
}

TEST_F(LoggerViewTest, ADeadLineIsGivenUpWithAMessageAndCancelIsNeverRefused) {
  // The instrument answers the identification, then the line goes dead
  // before the first entry is asked for: the please-wait window would stay
  // for ever. The tap sees the identification's verdict on the window
  // thread, before any poll is sent.
  env.attach(with_entries(5));
  struct CutAfterIdentification : TrafficTap {
    explicit CutAfterIdentification(ViewTestEnv& env) : env(env) {}
    void on_traffic(const TrafficEvent& event) override {
      if (cut || event.kind != TrafficEvent::Kind::kVerdict || event.code != 0) return;
      cut = true;
      sim::FaultOptions dead;
      dead.drop = 1.0;
      env.attach(with_entries(5), dead);
    }
    ViewTestEnv& env;
    bool cut = false;
  };
  master.set_traffic_tap(std::make_shared<CutAfterIdentification>(env));
  auto view = open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return master.is_polling(); }, 10000));
  EXPECT_TRUE(view->progress_shown());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isVisible(); }, 15000))
      << "given up after a few seconds without an answer";
  EXPECT_EQ(env.messages.box_texts(),
            std::vector<QString>{"connection failure! The unit does not answer! "});
  EXPECT_FALSE(master.is_polling());

  // Cancel while the please-wait window is up ends the download at once.
  master.set_traffic_tap(nullptr);
  sim::FaultOptions late;
  late.delay_ms = 300;
  env.attach(with_entries(5), late);
  env.messages.clear();
  auto second = open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return master.is_polling(); }, 10000));
  ASSERT_TRUE(second->progress_shown());
  second->reject();
  EXPECT_FALSE(second->isVisible());
  EXPECT_FALSE(master.is_polling());
  EXPECT_TRUE(env.messages.shown().empty());
}

TEST_F(LoggerViewTest, RowsReadBeforeTheLineDiedStayToBeSaved) {
  sim::FaultOptions slow;
  slow.delay_ms = 60;
  env.attach(with_entries(25), slow);
  auto view = open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->table().entry_count() >= 1; }, 10000));
  sim::FaultOptions dead;
  dead.drop = 1.0;
  sim::SimBus::set_faults(env.sim_name(), dead);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->download()->finished(); }, 15000));
  const int rows = view->table().entry_count();
  EXPECT_GE(rows, 1);
  EXPECT_LT(rows, 20);
  EXPECT_TRUE(view->isVisible()) << "the only copy of those rows";
  EXPECT_EQ(view->link_status(), "Communication Failure");
  EXPECT_EQ(env.messages.box_texts(),
            std::vector<QString>{"connection failure! The unit does not answer! "});
  EXPECT_TRUE(view->button(OperatingView::kRecordButton)->isVisible());
  EXPECT_FALSE(master.is_polling());
}

}  // namespace
}  // namespace orvadw
