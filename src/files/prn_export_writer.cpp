#include "files/prn_export_writer.h"

#include <cerrno>
#include <charconv>

#include "base/cp1252.h"

namespace orvadw {

namespace {
constexpr std::size_t kBufferBytes = 1 << 20;
}

ExportWriter::~ExportWriter() = default;

PrnExportWriter::~PrnExportWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

std::string PrnExportWriter::header_line(const std::vector<std::string>& titles) {
  std::string line;
  for (std::size_t i = 0; i < titles.size(); ++i) {
    if (i > 0) line += '\t';
    line += cp1252_from_utf8(titles[i]);
  }
  line += '\n';
  return line;
}

std::string PrnExportWriter::row_line(int sample_number, const std::vector<ExportCell>& cells) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, sample_number).ptr;
  std::string line(digits, end);
  for (const ExportCell& cell : cells) {
    line += '\t';
    line += cp1252_from_utf8(cell.text);
  }
  line += '\n';
  return line;
}

int PrnExportWriter::open(const std::string& path) {
  error_number_ = 0;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    error_number_ = errno;
    return -1;
  }
  std::setvbuf(file_, nullptr, _IOFBF, kBufferBytes);
  return 0;
}

int PrnExportWriter::put(const std::string& bytes) {
  if (file_ == nullptr) return -1;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    error_number_ = errno;
    return -1;
  }
  return 0;
}

int PrnExportWriter::write_header(const std::vector<std::string>& titles) {
  return put(header_line(titles));
}

int PrnExportWriter::write_row(int sample_number, const std::vector<ExportCell>& cells) {
  return put(row_line(sample_number, cells));
}

int PrnExportWriter::close() {
  if (file_ == nullptr) return 0;
  // A full disk shows at the last flush, not before.
  const int flushed = std::fflush(file_);
  const int flush_error = errno;
  const int closed = std::fclose(file_);
  file_ = nullptr;
  if (flushed != 0 || closed != 0) {
    error_number_ = flushed != 0 ? flush_error : errno;
    return -1;
  }
  return 0;
}

}  // namespace orvadw
