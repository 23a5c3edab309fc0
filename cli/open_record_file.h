#pragma once
// Opening a data file for the commands that show one (file-info, file-dump).
#include <iosfwd>
#include <string>

#include "files/record_file.h"

namespace orvadw::cli {

// Opens path for reading and reads its header into header_text (as stored,
// Windows-1252). False with the reason on err, in English.
bool open_record_file(const std::string& path, RecordFile& file, std::string& header_text,
                      std::ostream& err);

}  // namespace orvadw::cli
