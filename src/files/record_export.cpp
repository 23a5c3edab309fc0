#include "files/record_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "base/text_table.h"
#include "files/file_error.h"
#include "files/prn_export_writer.h"
#include "files/record_reader.h"
#include "files/save_path.h"
#include "files/xlsx_export_writer.h"

namespace orvadw {

namespace {
constexpr int kCannotOpenTargetTextId = 67;
// Progress is told after this many records at most.
constexpr int kProgressRecords = 75;

// True when both paths name one existing file.
bool same_file(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// Creates the target once and removes it again: 0, or the errno.
int try_target(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return errno != 0 ? errno : EIO;
  ::close(fd);
  ::unlink(path.c_str());
  return 0;
}

bool ends_with_ignoring_case(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    char a = text[text.size() - suffix.size() + i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != suffix[i]) return false;
  }
  return true;
}
}  // namespace

std::string ExportResult::message(int language) const {
  switch (status) {
    case Status::kDone:
      return {};
    case Status::kTargetNotWritable:
      return text_of(kCannotOpenTargetTextId, language);
    case Status::kSourceNotReadable:
    case Status::kTextNotWritable:
    case Status::kWriteFailed:
      return file_failure_message(error_number, language);
    case Status::kIncorrectFile:
    case Status::kRecordNotApplied:
      return text_of(kIncorrectFileTextId, language);
  }
  return {};
}

bool RecordExport::is_workbook_path(std::string_view path) {
  return ends_with_ignoring_case(path, ".xlsx");
}

std::string RecordExport::text_path_for(const ExportRequest& request) {
  if (request.use_spreadsheet) return folder_of(request.target_path) + std::string(kTextFileName);
  return request.target_path;
}

ExportResult RecordExport::run(const ExportRequest& request, const RegionalSettings& regional,
                               const Progress& progress) {
  using Status = ExportResult::Status;
  ExportResult result;
  result.text_path = text_path_for(request);
  result.workbook = !request.use_spreadsheet && is_workbook_path(request.target_path);
  auto fail = [&result](Status status, int error_number = 0) {
    result.status = status;
    result.error_number = error_number;
    return result;
  };

  // Trying the target truncates it: never the recording itself.
  if (same_file(request.target_path, request.record_path) ||
      same_file(result.text_path, request.record_path)) {
    return fail(Status::kTargetNotWritable, EEXIST);
  }
  if (const int error = try_target(request.target_path); error != 0) {
    return fail(Status::kTargetNotWritable, error);
  }
  // The records are checked before anything is written, so a file that is
  // not one of ours leaves no empty text behind.
  RecordReader reader;
  switch (reader.open(request.record_path)) {
    case RecordReader::Open::kOk:
      break;
    case RecordReader::Open::kSystemError:
      return fail(Status::kSourceNotReadable, reader.error_number());
    case RecordReader::Open::kNotARecordFile:
      return fail(Status::kIncorrectFile);
  }
  const int record_count = reader.record_count();

  std::unique_ptr<ExportWriter> writer;
  if (result.workbook) {
    writer = std::make_unique<XlsxExportWriter>(regional);
  } else {
    writer = std::make_unique<PrnExportWriter>();
  }
  if (writer->open(result.text_path) != 0)
    return fail(Status::kTextNotWritable, writer->error_number());
  if (writer->write_header(layout_.header()) != 0) {
    writer->close();
    return fail(Status::kWriteFailed, writer->error_number());
  }

  // Whole samples only: a sample cut short by a crash at the end of a
  // recording is not one (replay ignores it too).
  const int groups = layout_.groups();
  const int samples = groups > 0 ? record_count / groups : 0;
  const int total = samples * groups;
  std::vector<std::uint8_t> bytes;
  int since_progress = 0;
  for (int sample = 0; sample < samples; ++sample) {
    for (int group = 0; group < groups; ++group) {
      const int index = sample * groups + group;
      if (reader.next(bytes) != 0 || layout_.apply(group, bytes) != 0) {
        writer->close();
        result.failed_record = index;
        return fail(Status::kRecordNotApplied, reader.error_number());
      }
    }
    if (writer->write_row(sample + 1, layout_.row(regional)) != 0) {
      writer->close();
      return fail(Status::kWriteFailed, writer->error_number());
    }
    ++result.samples;
    since_progress += groups;
    if (progress && since_progress >= kProgressRecords) {
      since_progress = 0;
      progress((sample + 1) * groups, total);
    }
  }
  if (writer->close() != 0) return fail(Status::kWriteFailed, writer->error_number());
  if (progress) progress(total, total);
  return result;
}

}  // namespace orvadw
