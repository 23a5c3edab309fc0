// The measurement view on a real pseudo-terminal: the simulator goes away in
// the middle of a recording and comes back on the same link; the view shows
// the failure, reopens the line by itself and the recording goes on with
// whole samples, nothing already written lost.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cstdlib>

#include "files/record_file.h"
#include "params/sample_navigator.h"
#include "support/view_test_env.h"
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

std::vector<DateTime> sample_clocks(const std::string& path, int& records) {
  std::vector<DateTime> clocks;
  RecordFile file;
  std::string text;
  DateTime saved;
  records = -1;
  if (file.open(path, false) != 0 || file.read_header(text, saved) != 0) return clocks;
  records = file.record_count();
  ParameterFieldList fields = make_field_list(measurement_window(kEnglish), kEnglish);
  MeasurementSession session(fields);
  for (int s = 0; s < SampleNavigator(records).sample_count(); ++s) {
    MeasurementSession::Sample sample;
    for (int k = 0; k < 3; ++k) file.read_record(3 * s + k, sample[static_cast<std::size_t>(k)]);
    if (session.apply_sample(sample) != 0) break;
    clocks.push_back(session.instrument_clock());
  }
  return clocks;
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
  const std::vector<DateTime> clocks = sample_clocks(path, records);
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
