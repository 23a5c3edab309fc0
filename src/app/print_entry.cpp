#include "app/print_entry.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/window_entry.h"
#include "dialogs/print_window.h"
#include "files/configuration.h"
#include "files/save_path.h"
#include "ui/message_service.h"
#include "ui/printer_choice.h"
#include "views/operating_view.h"

namespace orvadw {

namespace {

constexpr int kFileMode = 4;
// A view reads its file once it runs; a file that takes longer is not one.
constexpr int kStartLimitMs = 60000;

struct KindWindow {
  const char* extension;
  const char* window;
};
constexpr KindWindow kKindWindows[] = {
    {"eta", "settings"},    {"rsp", "special"}, {"sa", "analog"},
    {"mes", "measurement"}, {"log", "logger"},  {"esc", "esc"},
};

// Messages of an unattended print on standard error; questions answered No.
class StandardErrorMessages : public MessageService {
 public:
  void show(QWidget*, const QString& text, const QString& caption, Icon) override {
    const QString line = caption.isEmpty() ? text : caption + QStringLiteral(": ") + text;
    std::fprintf(stderr, "orvadw: %s\n",
                 qPrintable(QString(line).replace(QLatin1String("\r\n"), QLatin1String(" "))));
  }
  int ask(QWidget* parent, const QString& text, const QString& caption) override {
    show(parent, text, caption, Icon::Question);
    return kNo;
  }
};

}  // namespace

QString print_entry_usage() {
  return QStringLiteral("       orvadw --print FILE [--pdf OUT.pdf]");
}

void prepare_print_entry(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--print") == 0) {
      if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
      return;
    }
  }
}

std::optional<PrintFileRequest> parse_print_request(const QStringList& arguments, QString& error) {
  error.clear();
  if (!arguments.contains(QStringLiteral("--print"))) return std::nullopt;
  PrintFileRequest request;
  for (int i = 0; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == QLatin1String("--print") || a == QLatin1String("--pdf")) {
      if (i + 1 >= arguments.size() || arguments[i + 1].startsWith(QLatin1String("--"))) {
        error = a + QStringLiteral(" needs a file");
        return request;
      }
      (a == QLatin1String("--print") ? request.file : request.pdf) = arguments[++i];
    } else {
      error = QStringLiteral("unexpected argument ") + a;
      return request;
    }
  }
  if (window_for_file(request.file).isEmpty()) {
    error = QStringLiteral("no window prints ") + request.file;
  }
  return request;
}

QString window_for_file(const QString& file) {
  const QString extension = QFileInfo(file).suffix().toLower();
  for (const KindWindow& kind : kKindWindows) {
    if (extension == QLatin1String(kind.extension) &&
        find_window_factory(QLatin1String(kind.window)) != nullptr) {
      return QLatin1String(kind.window);
    }
  }
  return {};
}

int run_print_entry(const PrintFileRequest& request) {
  const WindowFactory* factory = find_window_factory(window_for_file(request.file));
  if (factory == nullptr) return 1;
  StandardErrorMessages messages;
  ScopedMessageService message_scope(&messages);
  std::unique_ptr<PdfPrinterChoice> pdf;
  std::optional<ScopedPrinterChoice> printer_scope;
  if (!request.pdf.isEmpty()) {
    pdf = std::make_unique<PdfPrinterChoice>(QFileInfo(request.pdf).absoluteFilePath());
    printer_scope.emplace(pdf.get());
  }
  const std::string file = QFileInfo(request.file).absoluteFilePath().toStdString();
  Configuration::instance().set_last_folder(folder_of(file));

  // Nothing is read from the instrument in mode 4: the window needs no line.
  std::unique_ptr<QDialog> window = factory->make(nullptr, kFileMode, nullptr, file);
  auto* dialog = qobject_cast<CommunicatingDialog*>(window.get());
  if (dialog == nullptr) return 1;
  bool ended = false;
  QObject::connect(dialog, &QDialog::finished, dialog, [&ended] { ended = true; });
  dialog->initialise();
  // A view reads its file once its start-up runs from the event loop.
  if (auto* view = qobject_cast<OperatingView*>(dialog)) {
    const QDeadlineTimer deadline(kStartLimitMs);
    while (!view->started() && !ended && !deadline.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    // A view that cannot show its file closes from the event loop.
    QCoreApplication::processEvents();
    if (!view->started()) return 1;
  }
  if (ended) return 1;
  return print_window(*dialog, false) == 0 ? 0 : 1;
}

}  // namespace orvadw
