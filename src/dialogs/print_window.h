#pragma once
// The print button of every communicating window: the printer set-up dialog
// (or, unattended, the default printer), then the window's sheet, its title,
// footer and fields over as many pages as they need (SheetLayout). What is
// printed comes from the fields, never from the widgets.
#include <QString>
#include <string>

#include "base/text_table.h"

class QWidget;

namespace orvadw {

class CommunicatingDialog;
class MessageService;
class ParameterFieldList;

struct PrintRequest {
  QString title;  // the window's title as shown
  const ParameterFieldList* fields = nullptr;
  std::string checksum;     // parameter sheets: "CRC-32 ..."
  bool ask_printer = true;  // false: the default printer, no dialog
  int language = kEnglish;
  QWidget* parent = nullptr;
  MessageService* messages = nullptr;  // nullptr: the installed service
};

// The texts of printing's own messages, in every language alike.
inline constexpr const char* kNoDefaultPrinterText = "You have no default printer!";
inline constexpr const char* kPrinterNotInitialisedText = "Printer wouldn't initalize";
inline constexpr const char* kPageNotStartedText = "Could not start page";

// 0 when the sheet was printed; -1 when the set-up dialog was cancelled or
// printing failed (after its message).
int print_window(const PrintRequest& request);
// A window's sheet: its title, language and fields; a parameter window
// (one that transfers its values) adds the checksum of its file blocks.
// The value being typed is finished first.
int print_window(CommunicatingDialog& dialog, bool ask_printer);
// Any field list under a title (a comparison's differences, a grid window).
int print_window(const ParameterFieldList& fields, const QString& title, bool ask_printer,
                 QWidget* parent, int language);

}  // namespace orvadw
