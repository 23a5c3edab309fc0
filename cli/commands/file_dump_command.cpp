// orvadw-cli file-dump PATH: every record of a record file as hex bytes.
#include <ostream>
#include <string>
#include <vector>

#include "base/text_table.h"
#include "cli/cli_command.h"
#include "cli/hex_text.h"
#include "cli/open_record_file.h"
#include "files/file_error.h"

namespace orvadw::cli {

namespace {

int run_file_dump(CliContext& context) {
  if (context.args.size() != 1) return bad_usage(context.err, "file-dump PATH");
  RecordFile file;
  std::string text;
  if (!open_record_file(context.args[0], file, text, context.err)) return 1;
  std::vector<std::uint8_t> record;
  for (int i = 0; i < file.record_count(); ++i) {
    if (file.read_record(i, record) != 0) {
      context.err << text_of(kIncorrectFileTextId, kEnglish) << " (record " << i << ")\n";
      return 1;
    }
    context.out << hex_text(record) << "\n";
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
