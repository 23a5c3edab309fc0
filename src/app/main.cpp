// The orvadw program: the main window over the configuration named on the
// command line (or by last.cfg), one instrument window alone (see
// window_entry.h), the options window alone, or a data file's sheet printed
// without a window (print_entry.h); --simulator puts the built-in simulated
// instrument on the line.
#include <QApplication>
#include <cstdio>

#include "app/application.h"
#include "app/print_entry.h"
#include "app/termination_signal.h"
#include "app/window_entry.h"

namespace {

void print_help() {
  std::printf(
      "%s\n"
      "%s\n"
      "       orvadw --options\n"
      "       orvadw --help\n"
      "\n"
      "Without options the main window opens; every job is done from its menu.\n"
      "CONFIGURATION is the configuration file to use (otherwise the one last used).\n"
      "  --simulator     the line leads to a simulated instrument inside the program\n"
      "                  (with any of the forms above), to try every window without\n"
      "                  hardware\n"
      "  --window NAME   opens one instrument window alone: mode 1 reads the\n"
      "                  instrument, 2 new, 4 loads FILE, 16 sends the window's\n"
      "                  factory values, 65 reads and saves to FILE, 129 reads and\n"
      "                  prints; with FILE and no mode, 4. Exit status 0 when the\n"
      "                  window closed with OK, 1 otherwise, 2 for a bad command line\n"
      "  --print FILE    prints the sheet of a data file without a window, to the\n"
      "                  default printer or with --pdf to a PDF file\n"
      "  --options       opens the options window alone\n",
      qPrintable(orvadw::window_entry_usage()), qPrintable(orvadw::print_entry_usage()));
}

// The program's own options, read before the windowing system is reached, so
// that --help and a bad command line answer without a display.
struct Start {
  bool options_only = false;
  bool simulator = false;
  std::optional<orvadw::PrintFileRequest> print;
  std::optional<orvadw::WindowRequest> window;
  QStringList rest;  // the configuration file, when named
};

std::optional<Start> read_start(QStringList arguments, QString& error) {
  Start start;
  start.options_only = arguments.removeAll(QStringLiteral("--options")) > 0;
  start.simulator = arguments.removeAll(QStringLiteral("--simulator")) > 0;
  start.print = orvadw::parse_print_request(arguments, error);
  if (!start.print && error.isEmpty()) start.window = orvadw::parse_window_request(arguments, error);
  if (error.isEmpty() && !start.window && !start.print) {
    for (const QString& a : arguments) {
      if (a.startsWith(QLatin1String("--"))) error = QStringLiteral("unknown option ") + a;
    }
  }
  if (!error.isEmpty()) return std::nullopt;
  if (!start.window && !start.print) start.rest = arguments;
  return start;
}

}  // namespace

int main(int argc, char** argv) {
  QStringList given;
  for (int i = 1; i < argc; ++i) given << QString::fromLocal8Bit(argv[i]);
  if (given.contains(QStringLiteral("--help")) || given.contains(QStringLiteral("-h"))) {
    print_help();
    return 0;
  }
  QString error;
  if (!read_start(given, error)) {
    std::fprintf(stderr, "orvadw: %s\n%s\n%s\n", qPrintable(error),
                 qPrintable(orvadw::window_entry_usage()), qPrintable(orvadw::print_entry_usage()));
    return 2;
  }
  orvadw::prepare_print_entry(argc, argv);
  QApplication qt(argc, argv);
  // Read again without the windowing system's own options, which the
  // application has taken out.
  const std::optional<Start> start = read_start(QCoreApplication::arguments().mid(1), error);
  if (!start) {
    std::fprintf(stderr, "orvadw: %s\n", qPrintable(error));
    return 2;
  }
  orvadw::Application application(start->rest);
  if (start->simulator) application.use_simulator();
  application.start();
  int status = 0;
  if (start->print) {
    status = orvadw::run_print_entry(*start->print);
  } else if (start->window) {
    status = application.run_window(*start->window);
  } else {
    status = start->options_only ? application.run_options() : application.run();
  }
  application.finish();
  // Everything is saved; what is left is taking the program apart.
  orvadw::exit_on_termination_signal(status);
  return status;
}
