// orvadw-cli file-dump PATH: every record of a record file as hex bytes.
#include <ostream>
#include <string>
#include <vector>

#include "base/text_table.h"
#include "cli/cli_command.h"
#include "files/file_error.h"
#include "files/record_file.h"

namespace orvadw::cli {

namespace {

int run_file_dump(CliContext& context) {
  if (context.args.size() != 1) {
    context.err << "usage: orvadw-cli file-dump PATH\n";
    return 2;
  }
  const std::string& path = context.args[0];
  RecordFile file;
  if (file.open(path, false) != 0) {
    context.err << file_error_message(file.error_number(), kEnglish) << "\n";
    return 1;
  }
  std::string text;
  DateTime time;
  if (file.read_header(text, time) != 0) {
    context.err << text_of(kIncorrectFileTextId, kEnglish) << "\n";
    return 1;
  }
  static const char kHex[] = "0123456789ABCDEF";
  std::vector<std::uint8_t> record;
  std::string line;
  for (int i = 0; i < file.record_count(); ++i) {
    if (file.read_record(i, record) != 0) {
      context.err << text_of(kIncorrectFileTextId, kEnglish) << " (record " << i << ")\n";
      return 1;
    }
    line.clear();
    for (std::size_t b = 0; b < record.size(); ++b) {
      if (b > 0) line.push_back(' ');
      line.push_back(kHex[record[b] >> 4]);
      line.push_back(kHex[record[b] & 0x0F]);
    }
    context.out << line << "\n";
  }
  if (file.tail_damaged()) {
    context.err << "warning: the file ends inside a record; only the complete records are shown\n";
  }
  return 0;
}

CliCommandRegistration reg{{"file-dump", "file-dump PATH",
                            "Prints every record of a data file as one line of hex bytes.",
                            run_file_dump}};

}  // namespace

}  // namespace orvadw::cli
