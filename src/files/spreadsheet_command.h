#pragma once
// How the spreadsheet program is started after an export, as an argument
// list (never through a shell).
//
// "Spreadsheet configured" (the macro is offered) when the program's path
// contains the configured spreadsheet name; both are compared in lower case
// with "\" read as "/", so a configuration written elsewhere still matches.
// A program whose path contains "excel.exe" gets that program's own command
// line: the text file and "/p" with the folder, or with a macro "/p", the
// folder and the macro. Any other program (LibreOffice) gets the text file;
// with a macro it gets the macro workbook instead, started in the target's
// folder, where the transfer file tells the macro what to convert.
#include <string>
#include <string_view>
#include <vector>

namespace orvadw {

struct SpreadsheetCommand {
  std::string program;                 // the Path Spreadsheet setting
  std::vector<std::string> arguments;  // without the program
  std::string working_folder;          // the last folder (the target's)
  bool writes_transfer_file = false;   // a macro was chosen: the transfer file goes first
};

inline constexpr std::string_view kExcelProgramName = "excel.exe";
inline constexpr std::string_view kTransferFileName = "ZEKTransfert.$dat";

// Lower case, "\" as "/", blanks around removed.
std::string normalise_program_name(std::string_view text);
bool spreadsheet_configured(std::string_view path_spreadsheet, std::string_view spreadsheet_name);
bool is_excel_program(std::string_view path_spreadsheet);

// text_path: the file handed over (P); last_folder: L, ending with "/";
// macro_path: M, empty when none was chosen.
SpreadsheetCommand spreadsheet_command(const std::string& path_spreadsheet,
                                       const std::string& text_path, const std::string& last_folder,
                                       const std::string& macro_path);

// The command line as the program gets it, each word in double quotes
// except the "/p" switch: for messages and traces.
std::string command_line_text(const SpreadsheetCommand& command);

// Creates (or truncates) last_folder + "ZEKTransfert.$dat" with the text
// (Windows-1252). 0, or the errno of the failure.
int write_transfer_file(const std::string& last_folder, const std::string& text);

}  // namespace orvadw
