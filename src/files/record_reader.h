#pragma once
// The records of a record file read one after the other from the first,
// through a large buffer: one system call for many records, where
// RecordFile's random access reads each framing word on its own. Each record
// is checked as RecordFile checks it: its marker, its length before and
// after it, and the marker after it; a length is never trusted beyond the
// file. For walking a whole file (an export), not for jumping about.
#include <cstdint>
#include <string>
#include <vector>

namespace orvadw {

class RecordReader {
 public:
  static constexpr std::size_t kBufferBytes = 1 << 20;

  RecordReader() = default;
  ~RecordReader();
  RecordReader(const RecordReader&) = delete;
  RecordReader& operator=(const RecordReader&) = delete;

  // first_marker: the header length (where marker 0 sits) and record_count,
  // as RecordFile::read_header found them. 0, or -1 with error_number().
  int open(const std::string& path, std::int64_t first_marker, int record_count);
  void close();

  // The next record. -1 when every record was read, or when the next one is
  // not well framed or cannot be read (error_number() then says why, 0 for
  // a framing fault).
  int next(std::vector<std::uint8_t>& bytes);
  // Records read so far: the index of the next one.
  int index() const { return index_; }
  int error_number() const { return error_number_; }

 private:
  // Makes count bytes from offset_ available in the buffer.
  bool have(std::size_t count);

  int fd_ = -1;
  int error_number_ = 0;
  std::int64_t file_size_ = 0;
  std::int64_t offset_ = 0;        // file offset of the next record's marker
  std::int64_t buffer_offset_ = 0; // file offset of buffer_[0]
  std::size_t buffer_used_ = 0;
  std::vector<std::uint8_t> buffer_;
  int count_ = 0;
  int index_ = 0;
};

}  // namespace orvadw
