#pragma once
// "orvadw --print FILE [--pdf OUT.pdf]": a data file's sheet printed the way
// its window prints it, without showing the window (the window of the file's
// kind, in mode 4): to OUT.pdf, or to the default printer. Messages go to
// standard error instead of boxes, so the entry can run in a script; with
// no display at all it draws offscreen.
#include <QString>
#include <QStringList>
#include <optional>

namespace orvadw {

struct PrintFileRequest {
  QString file;
  QString pdf;  // empty: the default printer
};

QString print_entry_usage();

// Before the application object exists: a print run draws offscreen when no
// platform was chosen, so it needs no display.
void prepare_print_entry(int argc, char** argv);

// The request of the arguments after the program name: nothing when they do
// not ask for --print, else the request, or an error text.
std::optional<PrintFileRequest> parse_print_request(const QStringList& arguments, QString& error);

// The window's name for a data file ("settings" for .eta, ...); empty when
// no window prints that kind.
QString window_for_file(const QString& file);

// Prints it (after the configuration was loaded): 0 when printed, 1 when the
// file could not be shown or printing failed.
int run_print_entry(const PrintFileRequest& request);

}  // namespace orvadw
