#pragma once
// The instrument windows the program opens straight from its command line,
// until the main window opens them from its menu:
//   orvadw --window NAME [--mode N] [FILE]
// One row per window name; a later window adds one row.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvadw {

class JBusMaster;

struct WindowFactory {
  const char* name;
  std::unique_ptr<QDialog> (*make)(JBusMaster* master, int start_mode, QWidget* parent,
                                   const std::string& file);
};

const std::vector<WindowFactory>& window_factories();
const WindowFactory* find_window_factory(const QString& name);

struct WindowRequest {
  QString name;
  int start_mode = 1;  // 4 when a file is named and no mode is given
  QString file;
};

// The usage line of the window entry.
QString window_entry_usage();

// The request of the arguments after the program name: nothing when they
// name no window (the program's usual start), else the request, or an error
// text when they are not understood.
std::optional<WindowRequest> parse_window_request(const QStringList& arguments, QString& error);

}  // namespace orvadw
