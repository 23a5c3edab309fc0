#pragma once
// The one binary container of every data file: a short text header (save
// time and identification text) followed by length-framed records.
//
//   int32 header length L (29 + text length, counts itself), "\n", "\n",
//   "dd/mm/yyyy - hh:mm:ss\n", header text, "\n",
//   int32 marker 0, then per record k: int32 n, n bytes, int32 n, int32 k+1.
//
// Integers are little-endian whatever the host; the last four bytes of a
// file are its record count. Files come from other installations and other
// programs of the family, so the layout is kept exactly and every length read
// from a file is checked against the file before it is used.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.h"
#include "base/replacement_file.h"

namespace orvadw {

class RecordFile {
 public:
  // Current-index states besides a record index.
  static constexpr int kNoFile = -17;       // nothing created or read yet
  static constexpr int kAtFirstMarker = -16;  // right after the header

  // A longer header is refused by every reader of the family.
  static constexpr int kMaxHeaderLength = 2000;
  // Header length without the text: int32, two line feeds, date line, line feed.
  static constexpr int kHeaderOverhead = 29;
  static constexpr std::size_t kDateLineLength = 21;  // without its line feed
  // Largest header text create_header accepts.
  static constexpr std::size_t kMaxHeaderText = kMaxHeaderLength - kHeaderOverhead;

  RecordFile() = default;
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // Creates (or truncates) the file for reading and writing. 0 or -1 with
  // error_number() set.
  int create(const std::string& path);
  // Starts a new file that takes path's place only at commit(): until then
  // the file at path (if any) is left as it was, and close() without
  // commit() throws the new one away. 0 or -1 with error_number() set.
  int create_replacement(const std::string& path);
  // Puts the file started by create_replacement() in place of the old one,
  // flushed to disk, and closes it. 0, or -1 with error_number() set (the old
  // file is then still there, untouched).
  int commit();
  // Opens an existing file, read-only or for reading and appending. 0 or -1
  // with error_number() set. Read-only access never modifies the file.
  int open(const std::string& path, bool writable);
  void close();

  bool is_open() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }
  // errno of the last failed system call; 0 when the last failure came from
  // the file's content (not a record file) or the caller.
  int error_number() const { return error_number_; }

  // Writes the header and marker 0 at the start of the open file and cuts
  // anything after it. The text is stored as given (Windows-1252 bytes).
  // 0, or -1 when the file is not writable, the text is too long for a reader
  // to accept, or the write fails.
  int create_header(std::string_view text, const DateTime& time);

  // Validates and reads the header: the text as stored minus its final line
  // feed, and the save time. Finds the record count: when the count in the
  // last four bytes does not agree with the records before it (a file cut
  // during a write), the complete records are counted from the start instead
  // and the file is marked damaged. 0, or -1 when it is not a record file.
  int read_header(std::string& text, DateTime& time);

  // Appends one record, on disk before the call returns. 0, or -1 when the
  // file is not open for writing, has no header yet, has a damaged tail, has
  // changed size behind our back, or the write fails (the file is then cut
  // back to what it was).
  int append(std::span<const std::uint8_t> bytes);
  int append(const std::vector<std::uint8_t>& bytes) {
    return append(std::span<const std::uint8_t>(bytes.data(), bytes.size()));
  }

  // Appends several records with one write and one flush to the disk: on
  // disk together before the call returns, or (on failure) none of them and
  // the file as it was. The same checks and result as append.
  int append_records(std::span<const std::vector<std::uint8_t>> records);

  // Reads record index. 0, or -1 when there is no such record or the record
  // on disk is not well framed. The output never grows beyond the file size.
  int read_record(int index, std::vector<std::uint8_t>& bytes);

  int record_count() const { return record_count_; }
  int current_index() const { return current_index_; }
  int header_length() const { return header_length_; }
  // The save time exactly as stored, without its line feed.
  const std::string& date_line() const { return date_line_; }
  // True when read_header had to count the records itself because the
  // trailing count did not match; appending to such a file is refused.
  bool tail_damaged() const { return tail_damaged_; }

 private:
  bool read_exact(std::int64_t offset, void* buffer, std::size_t size);
  bool read_int32(std::int64_t offset, std::int32_t& value);
  bool write_all(std::int64_t offset, const std::uint8_t* data, std::size_t size);
  // Checks the record whose leading marker sits at offset and should hold
  // index; gives its data length.
  bool check_record_at(std::int64_t offset, std::int32_t index, std::int32_t& length);
  bool tail_consistent(std::int32_t count);
  void count_records_from_start();
  bool locate(int index, std::int64_t& offset);
  bool walk_forward(std::size_t from, std::size_t to);
  bool walk_backward(std::size_t from, std::size_t to);
  void reset_state();

  int fd_ = -1;  // owned by replacement_ while a replacement is being written
  ReplacementFile replacement_;
  bool writable_ = false;
  std::string path_;
  int error_number_ = 0;

  std::int64_t file_size_ = 0;
  int header_length_ = 0;
  int record_count_ = 0;
  int current_index_ = kNoFile;
  bool tail_damaged_ = false;
  std::string date_line_;
  // Offset of marker k for k = 0..count, -1 while not yet walked to. Bounded
  // by the file: a marker takes at least 12 bytes.
  std::vector<std::int64_t> markers_;
};

}  // namespace orvadw
