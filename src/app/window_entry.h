#pragma once
// One instrument window straight from the command line, without the main
// window (handy for support and scripts):
//   orvadw --window NAME [--mode N] [FILE]
// The names are those of the window catalogue.
#include <QString>
#include <QStringList>
#include <optional>

#include "views/window_catalog.h"

namespace orvadw {

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
