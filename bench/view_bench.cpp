// Benchmarks of the live views, one program with three modes; each prints
// "name value" lines for bench/run_view_bench.py.
//
//   bench_views chart [--count N]          one redraw of the 200-point chart
//   bench_views append --folder F [--count N]
//                                          one recorded sample (3 records on disk)
//   bench_views poll --port DEVICE [--seconds S] --folder F
//                                          the measurement view polling every
//                                          500 ms with its chart and a recording
#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "files/configuration.h"
#include "files/measurement_recorder.h"
#include "files/settings_store.h"
#include "link/jbus_master.h"
#include "link/port_map.h"
#include "params/chart_series.h"
#include "ui/curve_chart.h"
#include "ui/notifying_button.h"
#include "ui/scripted_file_dialog_service.h"
#include "ui/scripted_message_service.h"
#include "views/measurement_view.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string option(int argc, char** argv, const char* name, const std::string& fallback) {
  for (int i = 2; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
  }
  return fallback;
}

double percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const auto k = static_cast<std::size_t>(
      std::clamp(std::ceil(p / 100.0 * static_cast<double>(values.size())) - 1.0, 0.0,
                 static_cast<double>(values.size() - 1)));
  return values[k];
}

void report(const char* name, const std::vector<double>& us) {
  std::printf("%s_n %zu\n%s_median_us %.1f\n%s_p99_us %.1f\n%s_max_us %.1f\n", name, us.size(), name,
              percentile(us, 50), name, percentile(us, 99), name, *std::max_element(us.begin(), us.end()));
}

double micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

double cpu_seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double process_cpu_seconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A running chart as the view has it: 200 points around 1480 m/s, a few
// gaps and values out of range, range 850..1560, at its form's size and at a
// large one.
int run_chart(int count) {
  orvadw::ChartSeries series(200);
  series.set_label_format("%0.1f", "m/s");
  series.set_range(850, 1560);
  for (int i = 0; i < 200; ++i) {
    double v = 1480 + 8 * std::sin(i / 9.0);
    if (i % 50 == 7) v = orvadw::ChartSeries::kNoValue;
    if (i % 70 == 3) v = 1600;
    series.add_point(v);
  }
  orvadw::CurveChart chart(&series);
  for (const QSize size : {QSize(420, 160), QSize(1200, 400)}) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> us;
    std::vector<double> cpu_us;  // the thread's own time: no preemption by other work
    for (int i = 0; i < count + 20; ++i) {
      series.add_point(1480 + 8 * std::sin(i / 7.0));
      QPainter painter(&image);
      const double cpu_start = cpu_seconds(CLOCK_THREAD_CPUTIME_ID);
      const auto start = Clock::now();
      chart.paint(painter, QRect(QPoint(0, 0), size));
      painter.end();
      if (i >= 20) {  // the first ones warm the caches
        us.push_back(micros(Clock::now() - start));
        cpu_us.push_back(1e6 * (cpu_seconds(CLOCK_THREAD_CPUTIME_ID) - cpu_start));
      }
    }
    const std::string name = "chart_" + std::to_string(size.width()) + "x" + std::to_string(size.height());
    report(name.c_str(), us);
    report((name + "_cpu").c_str(), cpu_us);
  }
  return 0;
}

// Samples of the sizes the view records, paced one a second of instrument
// clock, each step writing its three records (each flushed to the disk).
int run_append(const std::string& folder, int count) {
  const std::string path = folder + "/bench.mes";
  orvadw::MeasurementRecorder recorder(1, 0, orvadw::kEnglish);
  recorder.press();
  if (recorder.start(path, "Measurement\n", orvadw::DateTime::now()) != 0) {
    std::fprintf(stderr, "%s\n", recorder.error_message().c_str());
    return 1;
  }
  const orvadw::MeasurementRecorder::Sample sample = {std::vector<std::uint8_t>(44, 1),
                                                      std::vector<std::uint8_t>(48, 2),
                                                      std::vector<std::uint8_t>(800, 3)};
  std::vector<double> us;
  for (int i = 0; i < count; ++i) {
    const orvadw::DateTime clock(2024, 1, 1 + i / 86400, i / 3600 % 24, i / 60 % 60, i % 60);
    const auto start = Clock::now();
    const auto step = recorder.step(clock, sample);
    us.push_back(micros(Clock::now() - start));
    if (!step.wrote) {
      std::fprintf(stderr, "sample %d not written: %s\n", i, recorder.error_message().c_str());
      return 1;
    }
  }
  recorder.stop();
  report("append", us);
  std::remove(path.c_str());
  return 0;
}

int run_poll(const std::string& device, const std::string& folder, int seconds) {
  using namespace orvadw;
  const std::string configuration = folder + "/bench.OrvadW10";
  {
    SettingsStore store(configuration);
    store.write_number("Language", "Language", 1);
    store.write_number("Com", "Port", 0);
    store.write_number("Com", "Bauds", 5);
    store.write_number("File Save", "Sample Record Time", 1);
  }
  PortMap::instance().set_scan_devices(false);
  PortMap::instance().set_device(1, device);
  ScriptedMessageService messages;
  ScopedMessageService message_scope(&messages);
  ScriptedFileDialogService files;
  ScopedFileDialogService file_scope(&files);
  files.queue_answer(QString::fromStdString(folder + "/poll.mes"));

  JBusMaster master;
  MeasurementView view(&master, CommunicatingDialog::kModeFromInstrument, {}, nullptr, configuration);
  view.resize(760, 420);
  view.show();
  // Recording starts once the first live answer is in; the measured minute
  // begins then.
  double window_cpu_start = 0;
  double process_cpu_start = 0;
  Clock::time_point wall_start;
  int polls_start = 0;
  QTimer starter;
  starter.setInterval(50);
  QObject::connect(&starter, &QTimer::timeout, [&] {
    if (!view.session().live_seen()) return;
    starter.stop();
    view.button(OperatingView::kRecordButton)->click();
    window_cpu_start = cpu_seconds(CLOCK_THREAD_CPUTIME_ID);
    process_cpu_start = process_cpu_seconds();
    wall_start = Clock::now();
    polls_start = view.recorder().samples_written();
    QTimer::singleShot(seconds * 1000, [&] { QApplication::quit(); });
  });
  starter.start();
  QTimer::singleShot((seconds + 30) * 1000, [] { QApplication::quit(); });  // a bound if nothing answers
  QApplication::exec();
  if (process_cpu_start == 0) {
    std::fprintf(stderr, "the instrument never answered\n");
    return 1;
  }
  const double wall = std::chrono::duration<double>(Clock::now() - wall_start).count();
  const double window_cpu = cpu_seconds(CLOCK_THREAD_CPUTIME_ID) - window_cpu_start;
  const double process_cpu = process_cpu_seconds() - process_cpu_start;
  std::printf("poll_wall_s %.1f\npoll_window_thread_cpu_s %.3f\npoll_process_cpu_s %.3f\n", wall, window_cpu,
              process_cpu);
  std::printf("poll_window_thread_percent %.3f\npoll_process_percent %.3f\n", 100 * window_cpu / wall,
              100 * process_cpu / wall);
  std::printf("poll_samples %d\npoll_messages %zu\n", view.recorder().samples_written() - polls_start,
              messages.shown().size());
  view.done(0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_views chart|append|poll [options]\n");
    return 2;
  }
  const std::string mode = argv[1];
  const int count = std::stoi(option(argc, argv, "--count", "2000"));
  if (mode == "append") return run_append(option(argc, argv, "--folder", "."), count);
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  if (mode == "chart") return run_chart(count);
  if (mode == "poll") {
    return run_poll(option(argc, argv, "--port", ""), option(argc, argv, "--folder", "."),
                    std::stoi(option(argc, argv, "--seconds", "60")));
  }
  std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
  return 2;
}
