#pragma once
// The records of a record file read one after the other from the first,
// through one buffer, for walking a whole file (an export) in constant
// memory: RecordFile keeps an index of every record for its random access,
// which a walk through a week of recording does not need.
//
// The file is checked as RecordFile checks it: the header (its length, the
// save time line of 21 characters, marker 0 after it), the record count in
// the last four bytes against the last record's framing (when they do not
// agree, the complete records from the start count), and each record as it
// is read (its marker, its length before and after it, the marker after
// it). No length read from the file is used before it is checked against
// the file's size.
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

  enum class Open { kOk, kSystemError, kNotARecordFile };
  // Opens the file and checks its header and tail; error_number() after a
  // system error.
  Open open(const std::string& path);
  void close();

  int record_count() const { return count_; }
  // True when the trailing count did not match and the records were
  // counted from the start (a file cut during a write).
  bool tail_damaged() const { return tail_damaged_; }

  // The next record. -1 when every record was read, or when the next one is
  // not well framed or cannot be read (error_number() then says why, 0 for
  // a framing fault).
  int next(std::vector<std::uint8_t>& bytes);
  // Records read so far: the index of the next one.
  int index() const { return index_; }
  int error_number() const { return error_number_; }

 private:
  // Makes count bytes from at available in the buffer; false when the file
  // does not hold them (or cannot be read).
  bool have(std::int64_t at, std::size_t count);
  const std::uint8_t* bytes_at(std::int64_t at) const {
    return buffer_.data() + (at - buffer_offset_);
  }
  bool read_int32(std::int64_t at, std::int32_t& value);
  // The length of the well-framed record index whose marker is at offset.
  bool framed(std::int64_t offset, std::int32_t index, std::int32_t& length);
  bool check_header();
  bool tail_consistent(std::int32_t count);

  int fd_ = -1;
  int error_number_ = 0;
  std::int64_t file_size_ = 0;
  std::int64_t first_marker_ = 0;
  std::int64_t offset_ = 0;         // file offset of the next record's marker
  std::int64_t buffer_offset_ = 0;  // file offset of buffer_[0]
  std::size_t buffer_used_ = 0;
  std::vector<std::uint8_t> buffer_;
  int count_ = 0;
  int index_ = 0;
  bool tail_damaged_ = false;
};

}  // namespace orvadw
