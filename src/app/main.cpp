// The orvadw program: an optional configuration file path on the command
// line, or one instrument window to open (see window_entry.h).
#include <QApplication>
#include <cstdio>

#include "app/application.h"
#include "app/window_entry.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  const QStringList arguments = QCoreApplication::arguments().mid(1);
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
  return window ? application.run_window(*window) : application.run();
}
