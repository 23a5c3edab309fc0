#include "app/view_window_entry.h"

#include <QDialog>
#include <cstdio>

#include "app/application.h"
#include "app/placeholder_main_window.h"
#include "app/termination_signal.h"
#include "dialogs/communicating_dialog.h"
#include "views/logger_view.h"
#include "views/measurement_view.h"

namespace orvadw {

const std::vector<ViewWindowEntry>& view_window_entries() {
  static const std::vector<ViewWindowEntry> entries = {
      {"measurement",
       [](JBusMaster& master, int mode, const std::string& file) -> std::unique_ptr<QDialog> {
         return std::make_unique<MeasurementView>(&master, mode, file);
       }},
      {"logger",
       [](JBusMaster& master, int mode, const std::string& file) -> std::unique_ptr<QDialog> {
         return std::make_unique<LoggerView>(&master, mode, file);
       }},
  };
  return entries;
}

std::optional<ViewWindowRequest> take_view_window_request(QStringList& arguments) {
  const qsizetype at = arguments.indexOf(QStringLiteral("--window"));
  if (at < 0) return std::nullopt;
  ViewWindowRequest request;
  arguments.removeAt(at);
  if (at < arguments.size()) request.name = arguments.takeAt(at).toStdString();
  if (at < arguments.size() && !arguments.at(at).startsWith(QStringLiteral("--"))) {
    request.file = arguments.takeAt(at).toStdString();
  }
  return request;
}

int run_view_window(Application& application, const ViewWindowRequest& request) {
  for (const ViewWindowEntry& entry : view_window_entries()) {
    if (request.name != entry.name) continue;
    const int mode = request.file.empty() ? CommunicatingDialog::kModeFromInstrument
                                          : CommunicatingDialog::kModeFromFile;
    std::unique_ptr<QDialog> view = entry.make(application.main_window().master(), mode, request.file);
    TerminationSignal termination([&view] { view->reject(); });
    const int result = view->exec();
    view.reset();
    application.finish();
    return result == QDialog::Accepted ? 0 : 1;
  }
  std::string names;
  for (const ViewWindowEntry& entry : view_window_entries()) names += (names.empty() ? "" : "|") + std::string(entry.name);
  std::fprintf(stderr, "orvadw: --window takes %s, not \"%s\"\n", names.c_str(), request.name.c_str());
  application.finish();
  return 2;
}

}  // namespace orvadw
