// The orvadw program: an optional configuration file path on the command
// line; "--options" opens the options window alone (until the menu window
// offers it).
#include <QApplication>

#include "app/application.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QStringList arguments = QCoreApplication::arguments().mid(1);
  const bool options_only = arguments.removeAll(QStringLiteral("--options")) > 0;
  orvadw::Application application(arguments);
  application.start();
  return options_only ? application.run_options() : application.run();
}
