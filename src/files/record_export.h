#pragma once
// The export of a measurement or logger file's records, without dialogs:
// the target is tried once (and removed, so no stale target remains), the
// records are read one sample at a time, applied to the window's groups and
// written as rows, the text file (or, for a target ending in ".xlsx", the
// workbook) streaming as it goes. A record that does not fit its group ends
// the export there: what was written stays, and the result names the record.
// The window and `orvadw-cli export` both run this.
#include <functional>
#include <string>
#include <string_view>

#include "base/date_time.h"
#include "files/export_layout.h"

namespace orvadw {

struct ExportRequest {
  std::string record_path;       // the measurement or logger file
  std::string target_path;       // the file the user chose (F_OUT)
  bool use_spreadsheet = false;  // a macro converts the text: it goes beside the target
};

struct ExportResult {
  enum class Status {
    kDone,
    kTargetNotWritable,  // the chosen file cannot be created
    kSourceNotReadable,  // the record file cannot be opened
    kIncorrectFile,      // the record file is not one of ours
    kTextNotWritable,    // the text file (or workbook) cannot be created
    kRecordNotApplied,   // failed_record cannot be read or does not fit its group
    kWriteFailed,        // writing the rows failed (a full disk)
  };
  Status status = Status::kDone;
  int error_number = 0;  // errno, when a system call failed
  int samples = 0;       // rows written
  int failed_record = -1;
  std::string text_path;  // F_IN: the file written
  bool workbook = false;

  bool ok() const { return status == Status::kDone; }
  // What a window says about it in the language (empty when done).
  std::string message(int language) const;
};

class RecordExport {
 public:
  static constexpr std::string_view kTextFileName = "ZEKPrnTemp.prn";
  // Progress: records read so far and the records to read; called every few
  // samples and at the end.
  using Progress = std::function<void(int records_done, int records_total)>;

  explicit RecordExport(ExportLayout& layout) : layout_(layout) {}

  ExportResult run(const ExportRequest& request, const RegionalSettings& regional,
                   const Progress& progress = {});

  // A target that gets a workbook rather than text.
  static bool is_workbook_path(std::string_view path);
  // F_IN for a request.
  static std::string text_path_for(const ExportRequest& request);

 private:
  ExportLayout& layout_;
};

}  // namespace orvadw
