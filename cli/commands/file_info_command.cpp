// orvadw-cli file-info PATH: the header of a record file.
#include <ostream>
#include <string>
#include <vector>

#include "base/cp1252.h"
#include "cli/cli_command.h"
#include "cli/open_record_file.h"
#include "files/identification_header.h"

namespace orvadw::cli {

namespace {

const char* const kLineLabels[kHeaderLineCount] = {
    "title",        "internal name",    "reserved",     "serial week",
    "serial year",  "serial number",    "software version", "software name"};

int run_file_info(CliContext& context) {
  if (context.args.size() != 1) return bad_usage(context.err, "file-info PATH");
  RecordFile file;
  std::string text;
  if (!open_record_file(context.args[0], file, text, context.err)) return 1;
  context.out << "saved: " << file.date_line() << "\n";
  // The lines as stored, not as numbers: the file is shown as it is.
  const std::string utf8 = utf8_from_cp1252(text);
  std::size_t start = 0;
  for (int line = 0; line < kHeaderLineCount; ++line) {
    std::size_t end = utf8.find('\n', start);
    context.out << kLineLabels[line] << ": " << utf8.substr(start, end - start) << "\n";
    if (end == std::string::npos) break;
    start = end + 1;
  }
  context.out << "records: " << file.record_count() << "\n";
  if (file.tail_damaged()) {
    context.err << "warning: the file ends inside a record; only the complete records count\n";
  }
  return 0;
}

CliCommandRegistration reg{{"file-info", "file-info PATH",
                            "Shows the save time, identification and record count of a data file.",
                            run_file_info}};

}  // namespace

}  // namespace orvadw::cli
