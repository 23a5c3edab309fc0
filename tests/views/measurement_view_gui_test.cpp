// The measurement view against the simulated instrument: the range request
// first, live values and chart, a recording paced by the instrument clock,
// replay of the file, a lost and found line.
#include "views/measurement_view.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "files/record_file.h"
#include "params/chart_series.h"
#include "sim/sim_bus.h"
#include "support/view_test_env.h"
#include "tests/support/file_contents.h"
#include "ui/chart_view.h"
#include "ui/field_binder.h"
#include "ui/file_dialog_service.h"
#include "ui/notifying_button.h"

namespace orvadw {
namespace {

using test::ViewTestEnv;

QString shown(MeasurementView& view, int control) {
  auto* label = qobject_cast<QLabel*>(view.binder()->control(control));
  return label != nullptr ? label->text() : QStringLiteral("<no control>");
}

void click(MeasurementView& view, int control) {
  NotifyingButton* b = view.button(control);
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(b->isVisible() && b->isEnabled()) << control;
  b->click();
}

class MeasurementViewTest : public ::testing::Test {
 protected:
  void SetUp() override { master.set_answer_timeout(150); }
  std::unique_ptr<MeasurementView> open(int mode = 1, const std::string& path = {}) {
    auto view = std::make_unique<MeasurementView>(&master, mode, path, nullptr, env.configuration_path());
    view->show();
    return view;
  }
  ViewTestEnv env;
  JBusMaster master;
};

TEST_F(MeasurementViewTest, PollsTheRangeThenLiveValuesAndRecordsWholeSamples) {
  env.set_recording(0, 0);  // a period of 0 in the configuration counts as 1 s
  auto instrument = env.attach();
  auto view = open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->session().live_seen(); }, 10000));
  EXPECT_TRUE(view->binder()->missing_controls().empty()) << "every table row has its place in the form";

  // The first answer gave the chart its range, the second the values.
  EXPECT_DOUBLE_EQ(view->session().chart().minimum(), 850.0);
  EXPECT_DOUBLE_EQ(view->session().chart().maximum(), 1560.0);
  EXPECT_FALSE(shown(*view, 1039).isEmpty()) << "speed of sound shown";
  EXPECT_EQ(shown(*view, 1075), "No Fault");
  EXPECT_EQ(shown(*view, 1236), "Kalometra R6");
  EXPECT_EQ(view->link_status(), "");
  EXPECT_TRUE(view->button(OperatingView::kRecordButton)->isVisible());
  EXPECT_FALSE(view->button(OperatingView::kNextButton)->isVisible()) << "no navigation live";
  const auto chart = view->binder()->chart(1291);
  ASSERT_NE(chart, nullptr);
  EXPECT_NE(chart->points().back(), ChartSeries::kNoValue);

  // Record: the next good answer asks for the file and writes the first sample.
  const std::string path = env.file("live.mes");
  env.files.queue_answer(QString::fromStdString(path));
  click(*view, OperatingView::kRecordButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->recorder().samples_written() == 1; }, 5000));
  EXPECT_EQ(view->record_status(), "Record 1");
  EXPECT_TRUE(view->windowTitle().contains("live.mes"));
  // The clock stands still: answers come every half second but no sample.
  QTest::qWait(1200);
  EXPECT_EQ(view->recorder().samples_written(), 1);
  instrument->advance(std::chrono::seconds(1));
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->recorder().samples_written() == 2; }, 5000));
  instrument->advance(std::chrono::seconds(1));
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->recorder().samples_written() == 3; }, 5000));
  click(*view, OperatingView::kRecordButton);
  EXPECT_FALSE(view->recorder().recording());
  EXPECT_EQ(view->record_status(), "");
  EXPECT_FALSE(view->windowTitle().contains("live.mes"));
  view->done(QDialog::Accepted);
  EXPECT_FALSE(master.is_polling()) << "closing stops the polling";

  // The file replays sample by sample.
  auto replay = open(4, path);
  ASSERT_TRUE(QTest::qWaitFor([&] { return replay->started(); }, 5000));
  ASSERT_TRUE(replay->isVisible());
  EXPECT_EQ(replay->navigator().sample_count(), 3);
  EXPECT_EQ(replay->record_status(), "Record 1 / 3");
  EXPECT_TRUE(replay->windowTitle().contains(" - ")) << "the save date and time";
  EXPECT_FALSE(replay->button(OperatingView::kFirstButton)->isEnabled());
  EXPECT_FALSE(replay->button(OperatingView::kRecordButton)->isVisible());
  click(*replay, OperatingView::kLastButton);
  EXPECT_EQ(replay->record_status(), "Record 3 / 3");
  EXPECT_FALSE(replay->button(OperatingView::kNextButton)->isEnabled());
  EXPECT_FALSE(replay->button(OperatingView::kLastButton)->isEnabled());
  EXPECT_EQ(replay->session().instrument_clock(), DateTime(2024, 3, 15, 12, 0, 2));
  EXPECT_NE(replay->binder()->chart(1291)->points().back(), ChartSeries::kNoValue) << "the recorded chart";
  click(*replay, OperatingView::kPreviousButton);
  EXPECT_EQ(replay->record_status(), "Record 2 / 3");
  EXPECT_TRUE(env.messages.shown().empty());
}

// A user who takes a while in the save dialog: the answer that opened it is
// that old by then, so the first sample is the first answer after the start.
class SlowSaveDialog : public FileDialogService {
 public:
  SlowSaveDialog(sim::SimulatedInstrument& instrument, QString path)
      : instrument_(instrument), path_(std::move(path)) {}
  std::optional<QString> save_path(QWidget*, const Request&) override {
    instrument_.advance(std::chrono::seconds(5));
    return path_;
  }
  std::optional<QString> open_path(QWidget*, const Request&) override { return std::nullopt; }

 private:
  sim::SimulatedInstrument& instrument_;
  QString path_;
};

TEST_F(MeasurementViewTest, TheFirstSampleIsTakenAfterTheSaveDialog) {
  env.set_recording(1, 0);
  auto instrument = env.attach();
  auto view = open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->session().live_seen(); }, 10000));
  const DateTime before = view->session().instrument_clock();
  const std::string path = env.file("late.mes");
  SlowSaveDialog slow(*instrument, QString::fromStdString(path));
  ScopedFileDialogService scope(&slow);
  click(*view, OperatingView::kRecordButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->recorder().samples_written() == 1; }, 5000));
  click(*view, OperatingView::kRecordButton);
  view->done(QDialog::Accepted);

  auto replay = open(4, path);
  ASSERT_TRUE(QTest::qWaitFor([&] { return replay->started(); }, 5000));
  ASSERT_EQ(replay->navigator().sample_count(), 1);
  EXPECT_EQ(replay->session().instrument_clock().seconds_since_1980(),
            before.seconds_since_1980() + 5)
      << "not the answer from before the dialog";
}

TEST_F(MeasurementViewTest, AFileWithoutAWholeSampleIsAnIncorrectFile) {
  // Two records of a sample, as a crash in the first sample leaves them.
  const std::string path = env.file("cut.mes");
  {
    RecordFile file;
    ASSERT_EQ(file.create(path), 0);
    ASSERT_EQ(file.create_header("Measurement\nOrvadW 10\n4278058235\n7\n3\n1\n10-11-A\nUltrasonic meter\n",
                                 DateTime(2024, 1, 2, 3, 4, 5)),
              0);
    ASSERT_EQ(file.append(std::vector<std::uint8_t>(44, 0)), 0);
    ASSERT_EQ(file.append(std::vector<std::uint8_t>(48, 0)), 0);
  }
  auto view = open(4, path);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isVisible(); }, 5000));
  EXPECT_EQ(env.messages.box_texts(), std::vector<QString>{"Incorrect File"});
}

TEST_F(MeasurementViewTest, ALostDeviceShowsTheFailureAndTheLineComesBackByItself) {
  env.attach();
  auto view = open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->session().live_seen(); }, 10000));
  ViewTestEnv::shorten_timeouts(master);

  // The adapter is pulled: the device vanishes under the open port.
  sim::SimBus::unplug(env.sim_name());
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->link_status() == "Communication Failure"; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->reopen_tries() >= 2; }, 5000)) << "tries about once a second";
  EXPECT_TRUE(view->isVisible());

  // Plugged in again: the next try opens it and the values move again.
  auto again = std::make_shared<sim::SimulatedInstrument>(ViewTestEnv::manual());
  again->advance(std::chrono::seconds(30));
  sim::SimBus::attach(env.sim_name(), again);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->link_status().isEmpty(); }, 5000));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return view->session().instrument_clock() == DateTime(2024, 3, 15, 12, 0, 30); }, 5000));
  EXPECT_TRUE(master.is_polling());
  EXPECT_TRUE(env.messages.shown().empty()) << "no box for a line that comes back";
}

}  // namespace
}  // namespace orvadw
