#pragma once
// Where the exported rows go: the tab-separated text file (PRN) or a
// workbook. Both stream: a row is out of memory once written.
#include <string>
#include <vector>

#include "files/export_layout.h"

namespace orvadw {

class ExportWriter {
 public:
  virtual ~ExportWriter();
  // Creates (or truncates) the file. 0, or -1 with error_number().
  virtual int open(const std::string& path) = 0;
  virtual int write_header(const std::vector<std::string>& titles) = 0;
  // The sample number, then the cells.
  virtual int write_row(int sample_number, const std::vector<ExportCell>& cells) = 0;
  // Everything on disk. 0, or -1 with error_number().
  virtual int close() = 0;
  // errno of the last failure (0 when the failure has no system error).
  int error_number() const { return error_number_; }

 protected:
  int error_number_ = 0;
};

}  // namespace orvadw
