// The orvadw program: the main window over the configuration named on the
// command line (or by last.cfg), one instrument window alone (see
// window_entry.h), the options window alone, or a data file's sheet printed
// without a window (print_entry.h); --simulator puts the built-in simulated
// instrument on the line.
#include <QApplication>
#include <cstdio>

#include "app/application.h"
#include "app/print_entry.h"
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

}  // namespace

int main(int argc, char** argv) {
  orvadw::prepare_print_entry(argc, argv);
  QApplication qt(argc, argv);
  QStringList arguments = QCoreApplication::arguments().mid(1);
  if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
    print_help();
    return 0;
  }
  const bool options_only = arguments.removeAll(QStringLiteral("--options")) > 0;
  const bool simulator = arguments.removeAll(QStringLiteral("--simulator")) > 0;
  QString error;
  const std::optional<orvadw::PrintFileRequest> print =
      orvadw::parse_print_request(arguments, error);
  const std::optional<orvadw::WindowRequest> window =
      print || !error.isEmpty() ? std::nullopt : orvadw::parse_window_request(arguments, error);
  if (error.isEmpty() && !window && !print) {
    for (const QString& a : arguments) {
      if (a.startsWith(QLatin1String("--"))) error = QStringLiteral("unknown option ") + a;
    }
  }
  if (!error.isEmpty()) {
    std::fprintf(stderr, "orvadw: %s\n%s\n%s\n", qPrintable(error),
                 qPrintable(orvadw::window_entry_usage()), qPrintable(orvadw::print_entry_usage()));
    return 2;
  }
  orvadw::Application application(window || print ? QStringList() : arguments);
  if (simulator) application.use_simulator();
  application.start();
  if (print) return orvadw::run_print_entry(*print);
  if (window) return application.run_window(*window);
  return options_only ? application.run_options() : application.run();
}
