#include "cli/open_record_file.h"

#include <ostream>

#include "base/text_table.h"
#include "files/file_error.h"

namespace orvadw::cli {

bool open_record_file(const std::string& path, RecordFile& file, std::string& header_text,
                      std::ostream& err) {
  if (file.open(path, false) != 0) {
    err << file_error_message(file.error_number(), kEnglish) << "\n";
    return false;
  }
  DateTime time;
  if (file.read_header(header_text, time) != 0) {
    err << text_of(kIncorrectFileTextId, kEnglish) << "\n";
    return false;
  }
  return true;
}

}  // namespace orvadw::cli
