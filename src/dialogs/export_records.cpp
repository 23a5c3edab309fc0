#include "dialogs/export_records.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include "base/text_table.h"
#include "dialogs/communicating_dialog.h"
#include "dialogs/macro_choice_dialog.h"
#include "files/configuration.h"
#include "files/file_error.h"
#include "files/record_export.h"
#include "files/spreadsheet_command.h"
#include "files/spreadsheet_settings.h"

namespace orvadw {

namespace {

constexpr int kPrnFileTextId = 87;
constexpr int kExcelFileTextId = 90;
constexpr int kConversionTextId = 247;
// The window is repainted this often while the records are written.
constexpr qint64 kProgressEveryMs = 100;

struct Target {
  std::string extension;
  std::string filter;
  std::vector<std::string> also_accepted;
};

// With a macro the target is the workbook the macro makes; else the text
// file itself, or a workbook written here.
Target target_kind(bool use_spreadsheet, int language) {
  const std::string excel = text_of(kExcelFileTextId, language);
  if (use_spreadsheet) return {"xls", excel + " (*.xls)|*.xls|", {}};
  return {"prn",
          text_of(kPrnFileTextId, language) + " (*.prn)|*.prn|" + excel + " (*.xlsx)|*.xlsx|",
          {"xlsx"}};
}

std::string base_name(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).completeBaseName().toStdString();
}

}  // namespace

int export_records(CommunicatingDialog& window) {
  window.finish_editing();
  const int language = window.language();
  const std::string kind = window.default_extension();
  std::unique_ptr<ExportLayout> layout = ExportLayout::for_kind(kind, language);
  if (!layout || window.file_path().empty()) return -1;

  // The macro, when the configured program runs one; Cancel goes on without.
  const SpreadsheetSettings spreadsheet = read_spreadsheet_settings(window.settings());
  std::string macro;
  bool use_spreadsheet = false;
  if (spreadsheet.configured()) {
    MacroChoiceDialog choice(QString::fromStdString(read_macro_path(window.settings(), kind)),
                             &window);
    if (choice.exec() == QDialog::Accepted) {
      macro = choice.macro_path().toStdString();
      write_macro_path(window.settings(), kind, macro);
      use_spreadsheet = true;
    }
  }

  const Target target = target_kind(use_spreadsheet, language);
  const std::optional<std::string> chosen = window.choose_save_path(
      target.extension, target.filter, base_name(window.file_path()), target.also_accepted);
  if (!chosen) return -1;

  ExportRequest request;
  request.record_path = window.file_path();
  request.target_path = *chosen;
  request.use_spreadsheet = use_spreadsheet;
  window.show_progress(true);
  window.set_progress_text(window.text_of(kConversionTextId));
  QElapsedTimer since_repaint;
  since_repaint.start();
  bool ranged = false;
  const RecordExport::Progress progress = [&](int done, int total) {
    if (!ranged) {
      window.set_progress_range(total);
      ranged = true;
    }
    if (since_repaint.elapsed() < kProgressEveryMs && done < total) return;
    since_repaint.restart();
    window.set_progress(done);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  const ExportResult result =
      RecordExport(*layout).run(request, RegionalSettings::current(), progress);
  window.show_progress(false);
  if (!result.ok()) {
    window.show_error_text(QString::fromStdString(result.message(language)), kErrorCaptionId);
    return -1;
  }

  if (spreadsheet.program.empty()) return 0;
  // The save dialog made the target's folder the last folder.
  const std::string folder = Configuration::instance().last_folder();
  const SpreadsheetCommand command =
      spreadsheet_command(spreadsheet.program, result.text_path, folder, macro);
  if (command.writes_transfer_file) {
    if (const int error =
            write_transfer_file(folder, layout->transfer_text(result.text_path, *chosen));
        error != 0) {
      window.show_file_error(error);
      return -1;
    }
  }
  QStringList arguments;
  for (const std::string& word : command.arguments) arguments << QString::fromStdString(word);
  // Whether the program starts is not waited for, nor reported.
  QProcess::startDetached(QString::fromStdString(command.program), arguments,
                          QString::fromStdString(command.working_folder));
  return 0;
}

}  // namespace orvadw
