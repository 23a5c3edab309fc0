#include "ui/printer_choice.h"

#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace orvadw {

namespace {
PrinterChoice*& installed() {
  static PrinterChoice* choice = nullptr;
  return choice;
}
}  // namespace

PrinterChoice::~PrinterChoice() = default;

PrinterChoice& PrinterChoice::current() {
  static SystemPrinterChoice system;
  return installed() != nullptr ? *installed() : system;
}

void PrinterChoice::install(PrinterChoice* choice) {
  installed() = choice;
}

ScopedPrinterChoice::ScopedPrinterChoice(PrinterChoice* choice) : previous_(installed()) {
  PrinterChoice::install(choice);
}

ScopedPrinterChoice::~ScopedPrinterChoice() {
  PrinterChoice::install(previous_);
}

bool SystemPrinterChoice::set_up(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  // A sheet prints whole: no selection, no page range; a PDF file is offered
  // beside the printers, so printing works on a machine without any.
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  return dialog.exec() == QDialog::Accepted;
}

bool SystemPrinterChoice::use_default(QPrinter& printer) {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull() || info.printerName().isEmpty()) return false;
  printer.setOutputFormat(QPrinter::NativeFormat);
  printer.setPrinterName(info.printerName());
  return true;
}

PdfPrinterChoice::PdfPrinterChoice(QString path) : path_(std::move(path)) {}

void PdfPrinterChoice::to_next_file(QPrinter& printer) {
  QString file = path_;
  if (!files_.empty()) {
    const QString suffix = QStringLiteral("-%1").arg(files_.size() + 1);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
    if (dot > slash) {
      file.insert(dot, suffix);
    } else {
      file += suffix;
    }
  }
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(file);
  // Whatever the locale's paper, a file sheet is the same everywhere.
  printer.setPageSize(QPageSize(QPageSize::A4));
  files_.push_back(file);
}

bool PdfPrinterChoice::set_up(QPrinter& printer, QWidget*) {
  ++set_ups_;
  if (cancels_ > 0) {
    --cancels_;
    return false;
  }
  to_next_file(printer);
  return true;
}

bool PdfPrinterChoice::use_default(QPrinter& printer) {
  ++defaults_;
  if (!default_present_) return false;
  to_next_file(printer);
  return true;
}

}  // namespace orvadw
