#include "files/spreadsheet_command.h"

#include <cerrno>
#include <cstdio>

#include "base/cp1252.h"

namespace orvadw {

namespace {
constexpr const char* kFolderSwitch = "/p";
}

std::string normalise_program_name(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\') {
      out += '/';
    } else if (c >= 'A' && c <= 'Z') {
      out += static_cast<char>(c - 'A' + 'a');
    } else {
      out += c;
    }
  }
  return out;
}

bool spreadsheet_configured(std::string_view path_spreadsheet, std::string_view spreadsheet_name) {
  const std::string name = normalise_program_name(spreadsheet_name);
  if (name.empty()) return false;
  return normalise_program_name(path_spreadsheet).find(name) != std::string::npos;
}

bool is_excel_program(std::string_view path_spreadsheet) {
  return normalise_program_name(path_spreadsheet).find(kExcelProgramName) != std::string::npos;
}

SpreadsheetCommand spreadsheet_command(const std::string& path_spreadsheet,
                                       const std::string& text_path, const std::string& last_folder,
                                       const std::string& macro_path) {
  SpreadsheetCommand command;
  command.program = path_spreadsheet;
  command.working_folder = last_folder;
  command.writes_transfer_file = !macro_path.empty();
  if (is_excel_program(path_spreadsheet)) {
    if (macro_path.empty()) {
      command.arguments = {text_path, kFolderSwitch, last_folder};
    } else {
      command.arguments = {kFolderSwitch, last_folder, macro_path};
    }
  } else {
    command.arguments = {macro_path.empty() ? text_path : macro_path};
  }
  return command;
}

std::string command_line_text(const SpreadsheetCommand& command) {
  std::string line = "\"" + command.program + "\"";
  for (const std::string& word : command.arguments) {
    line += ' ';
    line += word == kFolderSwitch ? word : "\"" + word + "\"";
  }
  return line;
}

int write_transfer_file(const std::string& last_folder, const std::string& text) {
  const std::string path = last_folder + std::string(kTransferFileName);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return errno != 0 ? errno : EIO;
  const std::string bytes = cp1252_from_utf8(text);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int write_error = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written) return write_error != 0 ? write_error : EIO;
  if (!closed) return errno != 0 ? errno : EIO;
  return 0;
}

}  // namespace orvadw
