// The orvadw program: an optional configuration file path on the command
// line, or one instrument window to open (see window_entry.h); "--options"
// opens the options window alone (until the menu window offers it);
// "--print FILE" prints a data file's sheet without a window (print_entry.h).
#include <QApplication>
#include <cstdio>

#include "app/application.h"
#include "app/print_entry.h"
#include "app/window_entry.h"

int main(int argc, char** argv) {
  orvadw::prepare_print_entry(argc, argv);
  QApplication qt(argc, argv);
  QStringList arguments = QCoreApplication::arguments().mid(1);
  const bool options_only = arguments.removeAll(QStringLiteral("--options")) > 0;
  QString error;
  const std::optional<orvadw::PrintFileRequest> print =
      orvadw::parse_print_request(arguments, error);
  const std::optional<orvadw::WindowRequest> window =
      print || !error.isEmpty() ? std::nullopt : orvadw::parse_window_request(arguments, error);
  if (!error.isEmpty()) {
    std::fprintf(stderr, "orvadw: %s\n%s\n%s\n", qPrintable(error),
                 qPrintable(orvadw::window_entry_usage()), qPrintable(orvadw::print_entry_usage()));
    return 2;
  }
  orvadw::Application application(window || print ? QStringList() : arguments);
  application.start();
  if (print) return orvadw::run_print_entry(*print);
  if (window) return application.run_window(*window);
  return options_only ? application.run_options() : application.run();
}
