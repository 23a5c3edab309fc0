#pragma once
// How printing gets its printer: the printer set-up dialog, or the default
// printer when nobody is asked (the read-and-print mode). Windows ask the
// installed choice (the system's unless a test, or `orvadw --print ... --pdf`,
// installed another), as message boxes and file dialogs do.
#include <QString>
#include <vector>

class QPrinter;
class QWidget;

namespace orvadw {

class PrinterChoice {
 public:
  virtual ~PrinterChoice();
  // The printer set-up dialog over printer (a PDF file is one of the
  // printers it offers); false when cancelled.
  virtual bool set_up(QPrinter& printer, QWidget* parent) = 0;
  // Points printer at the default printer; false when there is none.
  virtual bool use_default(QPrinter& printer) = 0;

  static PrinterChoice& current();
  // Not owned; nullptr returns to the system's.
  static void install(PrinterChoice* choice);
};

class ScopedPrinterChoice {
 public:
  explicit ScopedPrinterChoice(PrinterChoice* choice);
  ~ScopedPrinterChoice();
  ScopedPrinterChoice(const ScopedPrinterChoice&) = delete;
  ScopedPrinterChoice& operator=(const ScopedPrinterChoice&) = delete;

 private:
  PrinterChoice* previous_;
};

// The print dialog, and the system's default printer.
class SystemPrinterChoice : public PrinterChoice {
 public:
  bool set_up(QPrinter& printer, QWidget* parent) override;
  bool use_default(QPrinter& printer) override;
};

// Every document to an A4 PDF file, nobody asked: the first to path, the
// next ones to path with "-2", "-3", ... before ".pdf". Tests can make the
// set-up dialog cancel and the default printer be missing.
class PdfPrinterChoice : public PrinterChoice {
 public:
  explicit PdfPrinterChoice(QString path);

  bool set_up(QPrinter& printer, QWidget* parent) override;
  bool use_default(QPrinter& printer) override;

  void set_default_printer(bool present) { default_present_ = present; }
  // The next set-up dialog is cancelled.
  void queue_cancel() { cancels_ += 1; }
  // The files handed out so far, in order; how often each way was asked.
  const std::vector<QString>& files() const { return files_; }
  int set_ups() const { return set_ups_; }
  int defaults() const { return defaults_; }

 private:
  void to_next_file(QPrinter& printer);

  QString path_;
  bool default_present_ = true;
  int cancels_ = 0;
  int set_ups_ = 0;
  int defaults_ = 0;
  std::vector<QString> files_;
};

}  // namespace orvadw
