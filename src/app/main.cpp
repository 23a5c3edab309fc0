// The orvadw program: an optional configuration file path on the command
// line, or one instrument window to open (see window_entry.h); "--options"
// opens the options window alone (until the menu window offers it).
#include <QApplication>
#include <cstdio>

#include "app/application.h"
#include "app/window_entry.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QStringList arguments = QCoreApplication::arguments().mid(1);
  const bool options_only = arguments.removeAll(QStringLiteral("--options")) > 0;
  QString error;
  const std::optional<orvadw::WindowRequest> window =
      orvadw::parse_window_request(arguments, error);
  if (!error.isEmpty()) {
    std::fprintf(stderr, "orvadw: %s\n%s\n", qPrintable(error),
                 qPrintable(orvadw::window_entry_usage()));
    return 2;
  }
  orvadw::Application application(window ? QStringList() : arguments);
  application.start();
  if (window) return application.run_window(*window);
  return options_only ? application.run_options() : application.run();
}
