#pragma once
// The PRN text file: Windows-1252 text, one tab between fields, a bare line
// feed after each line; the header line, then per sample its number, a tab
// and the window's row text.
#include <cstdio>

#include "files/export_writer.h"

namespace orvadw {

class PrnExportWriter : public ExportWriter {
 public:
  PrnExportWriter() = default;
  ~PrnExportWriter() override;
  PrnExportWriter(const PrnExportWriter&) = delete;
  PrnExportWriter& operator=(const PrnExportWriter&) = delete;

  int open(const std::string& path) override;
  int write_header(const std::vector<std::string>& titles) override;
  int write_row(int sample_number, const std::vector<ExportCell>& cells) override;
  int close() override;

  // The line as the file holds it (Windows-1252), without the file.
  static std::string header_line(const std::vector<std::string>& titles);
  static std::string row_line(int sample_number, const std::vector<ExportCell>& cells);

 private:
  int put(const std::string& bytes);

  std::FILE* file_ = nullptr;
};

}  // namespace orvadw
