#pragma once
// The export written straight into a workbook (.xlsx), without a macro or a
// spreadsheet program: the same columns as the PRN file, dates and times as
// spreadsheet date values in the regional order, numbers as numbers with the
// decimals the window shows, the title row in bold and frozen. Rows stream to
// disk as they are written, so memory does not grow with the file.
#include <map>

#include "base/date_time.h"
#include "files/export_writer.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace orvadw {

class XlsxExportWriter : public ExportWriter {
 public:
  // A worksheet holds at most this many rows, the title row included.
  static constexpr int kMaxRows = 1048576;

  explicit XlsxExportWriter(RegionalSettings regional);
  ~XlsxExportWriter() override;
  XlsxExportWriter(const XlsxExportWriter&) = delete;
  XlsxExportWriter& operator=(const XlsxExportWriter&) = delete;

  int open(const std::string& path) override;
  int write_header(const std::vector<std::string>& titles) override;
  int write_row(int sample_number, const std::vector<ExportCell>& cells) override;
  int close() override;

  // The number formats of the date and time columns for a region.
  static std::string date_format(const RegionalSettings& regional);
  static std::string time_format(const RegionalSettings& regional);

 private:
  lxw_format* format_for(const ExportCell& cell);
  lxw_format* number_format(int decimals);
  int check(int lxw_result);

  RegionalSettings regional_;
  lxw_workbook* workbook_ = nullptr;
  lxw_worksheet* sheet_ = nullptr;
  lxw_format* bold_ = nullptr;
  lxw_format* date_ = nullptr;
  lxw_format* time_ = nullptr;
  lxw_format* date_time_ = nullptr;
  std::map<int, lxw_format*> numbers_;
  int row_ = 0;
};

}  // namespace orvadw
