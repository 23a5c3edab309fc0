#include "dialogs/print_window.h"

#include <QPrinter>

#include "base/date_time.h"
#include "dialogs/communicating_dialog.h"
#include "dialogs/settings_family_dialog.h"
#include "files/print_sheet.h"
#include "params/block_checksum.h"
#include "ui/message_service.h"
#include "ui/painter_print_surface.h"
#include "ui/printer_choice.h"

namespace orvadw {

namespace {
void say(const PrintRequest& request, const char* text) {
  MessageService& service =
      request.messages != nullptr ? *request.messages : MessageService::current();
  service.show(request.parent, QString::fromLatin1(text), QString(), MessageService::Icon::None);
}
}  // namespace

int print_window(const PrintRequest& request) {
  if (request.fields == nullptr) return -1;
  QPrinter printer(QPrinter::HighResolution);
  PrinterChoice& choice = PrinterChoice::current();
  if (!request.ask_printer) {
    if (!choice.use_default(printer)) {
      say(request, kNoDefaultPrinterText);
      return -1;
    }
  } else if (!choice.set_up(printer, request.parent)) {
    return -1;
  }

  const DateTime now = DateTime::now();
  const std::string title = request.title.toStdString();
  printer.setDocName(QString::fromStdString(print_document_name(title, now)));
  PainterPrintSurface surface(printer);
  if (!surface.begin()) {
    say(request, kPrinterNotInitialisedText);
    return -1;
  }
  const SheetContent content{title, request.checksum};
  if (print_sheet(surface, *request.fields, content, request.language, now,
                  RegionalSettings::current()) < 0) {
    say(request, kPageNotStartedText);
    printer.abort();
    surface.end();
    return -1;
  }
  return surface.end() ? 0 : -1;
}

int print_window(CommunicatingDialog& dialog, bool ask_printer) {
  dialog.finish_editing();
  PrintRequest request;
  request.title = dialog.windowTitle();
  request.fields = &dialog.fields();
  request.ask_printer = ask_printer;
  request.language = dialog.language();
  request.parent = &dialog;
  request.messages = &dialog.message_service();
  // A parameter sheet can be matched with the file or instrument it came
  // from: the checksum of the blocks its file holds.
  if (const auto* family = dynamic_cast<const SettingsFamilyDialog*>(&dialog)) {
    if (!family->table().write_sequence.empty()) {
      request.checksum = block_checksum_text(dialog.fields(), family->table().file_sequence);
    }
  }
  return print_window(request);
}

int print_window(const ParameterFieldList& fields, const QString& title, bool ask_printer,
                 QWidget* parent, int language) {
  PrintRequest request;
  request.title = title;
  request.fields = &fields;
  request.ask_printer = ask_printer;
  request.language = language;
  request.parent = parent;
  return print_window(request);
}

}  // namespace orvadw
