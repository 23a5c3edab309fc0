// How the settings window uses the window thread at 9600 baud against
// orvadw-sim on a pseudo-terminal: the longest time the thread goes without
// serving its events (a 5 ms heartbeat timer) while the window reads the
// instrument (mode 1) and while it transfers the clock, the reset word and
// the parameter block; and how long opening the window in mode 2 takes (its
// five pages built and shown). Prints a Markdown table.
//
//     settings_window_bench [--runs N] [--sim PATH]
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dialogs/settings_dialog.h"
#include "files/settings_store.h"
#include "link/jbus_master.h"
#include "link/port_map.h"
#include "params/settings_rules.h"
#include "ui/scripted_message_service.h"

namespace {

using orvadw::SettingsDialog;

// The longest pause between two beats of a timer on the window thread.
class Heartbeat {
 public:
  Heartbeat() {
    timer_.setInterval(5);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { beat(); });
  }
  void start() {
    clock_.start();
    last_ = 0;
    longest_ = 0;
    timer_.start();
  }
  // Stops and returns the longest gap in ms, the last one (to now) included.
  double stop() {
    beat();
    timer_.stop();
    return longest_ / 1e6;
  }

 private:
  void beat() {
    const qint64 now = clock_.nsecsElapsed();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
  }
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double maximum(const std::vector<double>& v) {
  return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

void settle(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  int runs = 5;
  QString sim_path = QCoreApplication::applicationDirPath() + "/orvadw-sim";
  const QStringList args = QCoreApplication::arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == "--runs") runs = std::max(1, args[i + 1].toInt());
    if (args[i] == "--sim") sim_path = args[i + 1];
  }

  QTemporaryDir dir;
  const QString link = dir.path() + "/ttySIM";
  QProcess sim;
  sim.start(sim_path, {"--link", link, "--baud", "9600"});
  if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
    std::fprintf(stderr, "settings_window_bench: cannot start %s\n", qPrintable(sim_path));
    return 1;
  }
  const std::string configuration = (dir.path() + "/bench.OrvadW10").toStdString();
  orvadw::SettingsStore store(configuration);
  store.write_number("Language", "Language", 1);
  store.write_number("Com", "Port", 0);
  store.write_number("Com", "Bauds", 5);  // 9600 baud
  store.write_number("Com", "JBus", 1);
  orvadw::PortMap::instance().set_scan_devices(false);
  orvadw::PortMap::instance().set_device(1, link.toStdString());
  orvadw::ScriptedMessageService answers;
  answers.set_default_answer(orvadw::MessageService::kYes);
  orvadw::ScopedMessageService scope(&answers);

  orvadw::JBusMaster master;
  Heartbeat heartbeat;
  std::vector<double> read_gap, read_ms, transfer_gap, transfer_ms, open_ms;
  for (int run = 0; run < runs + 1; ++run) {
    settle(20);
    QElapsedTimer wall;
    wall.start();
    SettingsDialog window(&master, 2, nullptr, std::string(), configuration);
    window.show();
    QCoreApplication::processEvents();  // laid out and painted
    const double ms = wall.nsecsElapsed() / 1e6;
    if (run == 0) {
      std::printf("first opening in the process (fonts and styles loaded): %.1f ms\n\n", ms);
    } else {
      open_ms.push_back(ms);
    }
    window.close();
  }
  for (int run = 0; run < runs; ++run) {
    settle(50);
    QElapsedTimer wall;
    auto window =
        std::make_unique<SettingsDialog>(&master, 1, nullptr, std::string(), configuration);
    heartbeat.start();
    wall.start();
    window->initialise();  // identification, 0x100 and 0x1000
    read_ms.push_back(wall.nsecsElapsed() / 1e6);
    read_gap.push_back(heartbeat.stop());
    if (!window->status_line() || window->status_line()->text().isEmpty()) {
      std::fprintf(stderr, "settings_window_bench: the read failed\n");
      return 1;
    }
    for (int c : {orvadw::settings::kSyncClock, orvadw::settings::kResetLogger,
                  orvadw::settings::kResetSphereCount}) {
      window->fields().field(c)->set_integer(0);
    }
    settle(20);
    heartbeat.start();
    wall.restart();
    window->press_transfer();  // 0x2301, 0x230A, 0x1000
    transfer_ms.push_back(wall.nsecsElapsed() / 1e6);
    transfer_gap.push_back(heartbeat.stop());
    if (!window->last_transfer_succeeded()) {
      std::fprintf(stderr, "settings_window_bench: the transfer failed\n");
      return 1;
    }
  }
  sim.terminate();
  sim.waitForFinished(5000);

  std::printf(
      "| settings window, 9600 baud | runs | longest window-thread gap, ms (max / median) | wall "
      "ms (median) |\n");
  std::printf("|---|---|---|---|\n");
  std::printf("| read in mode 1 (0xFF00, 0x100, 0x1000) | %d | %.1f / %.1f | %.1f |\n", runs,
              maximum(read_gap), median(read_gap), median(read_ms));
  std::printf("| transfer (0x2301, 0x230A, 0x1000) | %d | %.1f / %.1f | %.1f |\n", runs,
              maximum(transfer_gap), median(transfer_gap), median(transfer_ms));
  std::printf("| open in mode 2 (five pages) | %d | - | %.1f (max %.1f) |\n", runs, median(open_ms),
              maximum(open_ms));
  return 0;
}
