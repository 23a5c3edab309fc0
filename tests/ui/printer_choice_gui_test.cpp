// The system's printer set-up dialog offers a PDF file as a printer, so that
// printing works on a machine without any; Cancel prints nothing.
#include "ui/printer_choice.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>

namespace orvadw {
namespace {

// Answers the print dialog when it is up; what it offered is kept.
class DialogAnswer {
 public:
  explicit DialogAnswer(bool accept) {
    QObject::connect(&timer_, &QTimer::timeout, [this, accept] {
      auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      timer_.stop();
      for (QComboBox* combo : dialog->findChildren<QComboBox*>()) {
        for (int i = 0; i < combo->count(); ++i) offered_ << combo->itemText(i);
      }
      accept ? dialog->accept() : dialog->reject();
    });
    timer_.start(10);
  }
  const QStringList& offered() const { return offered_; }

 private:
  QTimer timer_;
  QStringList offered_;
};

TEST(SystemPrinterChoice, TheSetUpDialogOffersAPdfFile) {
  QTemporaryDir dir;
  SystemPrinterChoice choice;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFileName(dir.filePath(QStringLiteral("sheet.pdf")));
  {
    DialogAnswer answer(true);
    EXPECT_TRUE(choice.set_up(printer, nullptr));
    const QString offered = answer.offered().join(QLatin1Char(','));
    EXPECT_TRUE(offered.contains(QStringLiteral("PDF"))) << offered.toStdString();
  }
  EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
  EXPECT_EQ(printer.outputFileName(), dir.filePath(QStringLiteral("sheet.pdf")));
  DialogAnswer cancel(false);
  EXPECT_FALSE(choice.set_up(printer, nullptr));
}

}  // namespace
}  // namespace orvadw
