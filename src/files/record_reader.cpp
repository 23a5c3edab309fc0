#include "files/record_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "files/record_file.h"

namespace orvadw {

namespace {
std::int32_t get_int32(const std::uint8_t* p) {
  const std::uint32_t u =
      static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
      (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  return static_cast<std::int32_t>(u);
}
}  // namespace

RecordReader::~RecordReader() {
  close();
}

void RecordReader::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  buffer_.clear();
  buffer_.shrink_to_fit();
  buffer_used_ = 0;
  count_ = index_ = 0;
}

bool RecordReader::have(std::int64_t at, std::size_t count) {
  if (at < 0 || at + static_cast<std::int64_t>(count) > file_size_) return false;
  if (at >= buffer_offset_ && at + static_cast<std::int64_t>(count) <=
                                  buffer_offset_ + static_cast<std::int64_t>(buffer_used_)) {
    return true;
  }
  // Keep the part of the buffer from at on (reading forward), then fill.
  if (at >= buffer_offset_ && at <= buffer_offset_ + static_cast<std::int64_t>(buffer_used_)) {
    const auto start = static_cast<std::size_t>(at - buffer_offset_);
    std::memmove(buffer_.data(), buffer_.data() + start, buffer_used_ - start);
    buffer_used_ -= start;
  } else {
    buffer_used_ = 0;
  }
  buffer_offset_ = at;
  if (count > buffer_.size()) buffer_.resize(count);
  while (buffer_used_ < count) {
    const ssize_t got =
        ::pread(fd_, buffer_.data() + buffer_used_, buffer_.size() - buffer_used_,
                static_cast<off_t>(buffer_offset_ + static_cast<std::int64_t>(buffer_used_)));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error_number_ = errno;
      return false;
    }
    if (got == 0) return false;  // the file shrank behind our back
    buffer_used_ += static_cast<std::size_t>(got);
  }
  return true;
}

bool RecordReader::read_int32(std::int64_t at, std::int32_t& value) {
  if (!have(at, 4)) return false;
  value = get_int32(bytes_at(at));
  return true;
}

bool RecordReader::framed(std::int64_t offset, std::int32_t index, std::int32_t& length) {
  if (offset < first_marker_ || index == INT32_MAX || !have(offset, 8)) return false;
  const std::int32_t marker = get_int32(bytes_at(offset));
  const std::int32_t n = get_int32(bytes_at(offset + 4));
  if (marker != index || n < 0 || static_cast<std::int64_t>(n) > file_size_ - offset - 16)
    return false;
  const auto size = static_cast<std::size_t>(n);
  if (!have(offset, 16 + size)) return false;
  const std::uint8_t* p = bytes_at(offset);
  if (get_int32(p + 8 + size) != n || get_int32(p + 12 + size) != index + 1) return false;
  length = n;
  return true;
}

bool RecordReader::check_header() {
  std::int32_t length = 0;
  if (!read_int32(0, length)) return false;
  if (length > RecordFile::kMaxHeaderLength || length < RecordFile::kHeaderOverhead) return false;
  if (file_size_ < static_cast<std::int64_t>(length) + 4 ||
      !have(0, static_cast<std::size_t>(length)))
    return false;
  // Three lines after the length; the third, the save time, is 21 long.
  const std::uint8_t* header = bytes_at(0);
  std::size_t pos = 4;
  std::size_t line_start = pos;
  for (int n = 0; n < 3; ++n) {
    line_start = pos;
    while (pos < static_cast<std::size_t>(length) && header[pos] != '\n') ++pos;
    if (pos >= static_cast<std::size_t>(length)) return false;
    ++pos;
  }
  if (pos - 1 - line_start != RecordFile::kDateLineLength ||
      pos >= static_cast<std::size_t>(length))
    return false;
  std::int32_t marker = -1;
  if (!read_int32(length, marker) || marker != 0) return false;
  first_marker_ = length;
  return true;
}

bool RecordReader::tail_consistent(std::int32_t count) {
  const std::int64_t end_marker = file_size_ - 4;
  if (count < 0) return false;
  if (count == 0) return end_marker == first_marker_;
  // Every record needs at least 12 bytes after its leading marker.
  if (static_cast<std::int64_t>(count) > (end_marker - first_marker_) / 12) return false;
  std::int32_t n = 0;
  if (!read_int32(end_marker - 4, n) || n < 0) return false;
  const std::int64_t last = end_marker - 12 - n;
  if (last < first_marker_ || last - first_marker_ < 12LL * (count - 1)) return false;
  if (count == 1 && last != first_marker_) return false;
  std::int32_t length = 0;
  return framed(last, count - 1, length) && length == n;
}

RecordReader::Open RecordReader::open(const std::string& path) {
  close();
  error_number_ = 0;
  tail_damaged_ = false;
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
    error_number_ = errno;
    close();
    return Open::kSystemError;
  }
  // Pipes and devices have no size to check lengths against.
  if (!S_ISREG(st.st_mode)) {
    close();
    return Open::kNotARecordFile;
  }
  file_size_ = static_cast<std::int64_t>(st.st_size);
  buffer_.resize(kBufferBytes);
  buffer_offset_ = 0;
  buffer_used_ = 0;
  std::int32_t count = 0;
  if (!check_header() || !read_int32(file_size_ - 4, count)) {
    const bool system = error_number_ != 0;
    close();
    return system ? Open::kSystemError : Open::kNotARecordFile;
  }
  if (tail_consistent(count)) {
    count_ = count;
  } else {
    // Cut during a write: the complete records from the start count.
    tail_damaged_ = true;
    std::int64_t offset = first_marker_;
    std::int32_t n = 0;
    count = 0;
    while (framed(offset, count, n)) {
      offset += 12 + static_cast<std::int64_t>(n);
      ++count;
    }
    count_ = count;
  }
  offset_ = first_marker_;
  index_ = 0;
  return Open::kOk;
}

int RecordReader::next(std::vector<std::uint8_t>& bytes) {
  error_number_ = 0;
  if (fd_ < 0 || index_ >= count_) return -1;
  std::int32_t n = 0;
  if (!framed(offset_, index_, n)) return -1;
  const std::uint8_t* p = bytes_at(offset_) + 8;
  bytes.assign(p, p + n);
  offset_ += 12 + static_cast<std::int64_t>(n);
  ++index_;
  return 0;
}

}  // namespace orvadw
