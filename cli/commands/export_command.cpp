// orvadw-cli export: a measurement or logger file's records as the windows'
// spreadsheet export writes them: the PRN text file (or a workbook for a
// target ending in .xlsx), byte for byte as the window writes it under the
// same locale; with --open the spreadsheet program of the configuration is
// started as the window starts it (the macro's transfer file first when
// --macro names one).
#include <locale.h>
#include <clocale>
#include <filesystem>
#include <ostream>

#include "base/text_table.h"
#include "cli/cli_command.h"
#include "cli/detached_start.h"
#include "cli/hex_text.h"
#include "files/file_error.h"
#include "files/record_export.h"
#include "files/save_path.h"
#include "files/settings_store.h"
#include "files/spreadsheet_command.h"
#include "files/spreadsheet_settings.h"

namespace orvadw::cli {

namespace {

constexpr const char* kUsage =
    "export FILE.mes|FILE.log OUT.prn|OUT.xlsx [--language 1-4, default 2 English] [--open "
    "[--macro PATH]]";

// The regional format of the user's locale (LANG, LC_ALL, ...), as the
// windowed program takes it, whatever this process's own locale.
RegionalSettings environment_regional_settings() {
  locale_t user = ::newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
  if (user == static_cast<locale_t>(nullptr)) return RegionalSettings::current();
  locale_t previous = ::uselocale(user);
  RegionalSettings regional = RegionalSettings::current();
  ::uselocale(previous);
  ::freelocale(user);
  return regional;
}

std::string extension_of(const std::string& path) {
  const std::string name = path.substr(path.find_last_of('/') + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return ext;
}

int run_export(CliContext& context) {
  auto& args = context.args;
  long long language = kEnglish;
  if (!take_bounded_option(args, "--language", 1, 4, language, context.err)) return 2;
  const bool open = take_flag(args, "--open");
  std::string macro;
  bool macro_given = false;
  if (!take_text_option(args, "--macro", macro, macro_given, context.err)) return 2;
  if (args.size() != 2 || (macro_given && !open)) return bad_usage(context.err, kUsage);
  const int lang = static_cast<int>(language);

  const std::string source = args[0];
  std::unique_ptr<ExportLayout> layout = ExportLayout::for_kind(extension_of(source), lang);
  if (!layout) {
    context.err << "orvadw-cli export: " << source
                << " is neither a measurement (.mes) nor a logger (.log) file\n";
    return 2;
  }
  std::error_code ec;
  const std::string target = std::filesystem::absolute(args[1], ec).string();

  // The configuration says which program starts and whether it runs a macro.
  SpreadsheetSettings spreadsheet;
  if (open) {
    if (!context.options.config) {
      context.err << "orvadw-cli export: --open needs --config FILE (its Spreadsheet section names "
                     "the program)\n";
      return 2;
    }
    spreadsheet = read_spreadsheet_settings(SettingsStore(*context.options.config));
    if (spreadsheet.program.empty()) {
      context.err << "orvadw-cli export: no spreadsheet program in " << *context.options.config
                  << " (Spreadsheet/Path Spreadsheet)\n";
      return 1;
    }
    if (macro_given && !spreadsheet.configured()) {
      context.err << "orvadw-cli export: " << spreadsheet.program
                  << " does not contain the Spreadsheet Name \"" << spreadsheet.name
                  << "\": no macro is run by it\n";
      return 1;
    }
  }

  ExportRequest request;
  request.record_path = source;
  request.target_path = target;
  request.use_spreadsheet = macro_given;
  RecordExport exporter(*layout);
  const ExportResult result = exporter.run(request, environment_regional_settings());
  if (!result.ok()) {
    context.err << "orvadw-cli export: " << result.message(lang);
    if (result.status == ExportResult::Status::kRecordNotApplied) {
      const int group = result.failed_record % layout->groups();
      context.err << " (record " << result.failed_record << " does not hold block "
                  << hex_address(layout->block(group)) << " of window " << layout->window_key()
                  << "; " << result.samples << " samples written to " << result.text_path << ")";
    } else if (result.status == ExportResult::Status::kTargetNotWritable) {
      context.err << " " << target << ": " << system_error_text(result.error_number);
    }
    context.err << "\n";
    return 1;
  }
  context.out << "samples: " << result.samples << "\n"
              << (result.workbook ? "workbook: " : "text: ") << result.text_path << "\n";
  if (!open) return 0;

  // As the window: the workbook itself is handed over when one was written.
  const std::string folder = folder_of(target);
  const SpreadsheetCommand command =
      spreadsheet_command(spreadsheet.program, result.text_path, folder, macro);
  if (command.writes_transfer_file) {
    const int error = write_transfer_file(folder, layout->transfer_text(result.text_path, target));
    if (error != 0) {
      context.err << "orvadw-cli export: " << file_error_message(error, lang) << " (" << folder
                  << kTransferFileName << ")\n";
      return 1;
    }
  }
  const int error = start_detached(command.program, command.arguments, command.working_folder);
  if (error != 0) {
    context.err << "orvadw-cli export: " << command.program
                << " could not be started: " << system_error_text(error) << "\n";
    return 1;
  }
  context.out << "started: " << command_line_text(command) << "\n";
  return 0;
}

CliCommandRegistration reg{{
    "export",
    kUsage,
    "Exports a measurement or logger file as the windows do: PRN text, or a workbook for .xlsx.",
    run_export,
}};

}  // namespace
}  // namespace orvadw::cli
