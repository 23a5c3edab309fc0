// The measurement view on a real pseudo-terminal: the simulator goes away in
// the middle of a recording and comes back on the same link; the view shows
// the failure, reopens the line by itself and the recording goes on with
// whole samples, nothing already written lost.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cstdlib>

#include "support/view_test_env.h"
#include "tests/support/measurement_replay.h"
#include "tests/support/sim_process.h"
#include "ui/notifying_button.h"
#include "views/measurement_view.h"

namespace orvadw {
namespace {

using test::ViewTestEnv;

// These tests run under the plain test main: the window needs its own
// application, offscreen.
QApplication& application() {
  static int argc = 1;
  static char name[] = "measurement_view_pty_test";
  static char* argv[] = {name, nullptr};
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QApplication app(argc, argv);
  return app;
}

TEST(MeasurementViewPty, TheSimulatorGoesAwayAndComesBackDuringARecording) {
  application();
  test::SimProcess sim;
  ASSERT_TRUE(sim.start({})) << sim.error();
  ViewTestEnv env;
  env.map_device(sim.link());
  env.set_recording(1, 0);
  JBusMaster master;
  master.set_answer_timeout(300);
  MeasurementView view(&master, 1, {}, nullptr, env.configuration_path());
  view.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.session().live_seen(); }, 10000));

  const std::string path = env.file("through.mes");
  env.files.queue_answer(QString::fromStdString(path));
  view.button(OperatingView::kRecordButton)->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.recorder().samples_written() >= 2; }, 10000));

  ASSERT_EQ(sim.stop(), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.link_status() == "Communication Failure"; }, 10000));
  const int before = view.recorder().samples_written();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.reopen_tries() >= 2; }, 10000));
  EXPECT_EQ(view.recorder().samples_written(), before) << "nothing recorded while the line is down";

  ASSERT_TRUE(sim.restart({})) << sim.error();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.link_status().isEmpty(); }, 10000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.recorder().samples_written() >= before + 2; }, 10000));
  EXPECT_TRUE(view.recorder().recording());
  view.button(OperatingView::kRecordButton)->click();
  view.done(QDialog::Accepted);

  int records = 0;
  const std::vector<DateTime> clocks = test::replayed_clocks(path, records);
  EXPECT_EQ(records % 3, 0) << "whole samples only";
  ASSERT_EQ(static_cast<int>(clocks.size()), records / 3);
  ASSERT_GE(clocks.size(), static_cast<std::size_t>(before + 2));
  for (std::size_t i = 1; i < clocks.size(); ++i) {
    EXPECT_GT(clocks[i].seconds_since_1980(), clocks[i - 1].seconds_since_1980())
        << "one sample per instrument second, the gap skipped, sample " << i;
  }
}

}  // namespace
}  // namespace orvadw
