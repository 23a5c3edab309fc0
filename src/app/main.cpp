// The orvadw program: an optional configuration file path on the command
// line; "--window NAME [FILE]" opens one view straight away (a test entry).
#include <QApplication>

#include "app/application.h"
#include "app/view_window_entry.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QStringList arguments = QCoreApplication::arguments().mid(1);
  const std::optional<orvadw::ViewWindowRequest> view = orvadw::take_view_window_request(arguments);
  orvadw::Application application(arguments);
  application.start();
  if (view) return orvadw::run_view_window(application, *view);
  return application.run();
}
