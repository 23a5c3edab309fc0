// The orvadw program: an optional configuration file path on the command line.
#include <QApplication>

#include "app/application.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  orvadw::Application application(QCoreApplication::arguments().mid(1));
  application.start();
  return application.run();
}
