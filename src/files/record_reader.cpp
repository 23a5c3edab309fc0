#include "files/record_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace orvadw {

namespace {
std::int32_t get_int32(const std::uint8_t* p) {
  const std::uint32_t u = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                          (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  return static_cast<std::int32_t>(u);
}
}  // namespace

RecordReader::~RecordReader() { close(); }

void RecordReader::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  buffer_.clear();
  buffer_.shrink_to_fit();
  buffer_used_ = 0;
}

int RecordReader::open(const std::string& path, std::int64_t first_marker, int record_count) {
  close();
  error_number_ = 0;
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    error_number_ = errno;
    return -1;
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    error_number_ = errno;
    close();
    return -1;
  }
  file_size_ = static_cast<std::int64_t>(st.st_size);
  if (first_marker < 0 || first_marker > file_size_ || record_count < 0) {
    close();
    return -1;
  }
  offset_ = buffer_offset_ = first_marker;
  count_ = record_count;
  index_ = 0;
  buffer_.resize(kBufferBytes);
  return 0;
}

bool RecordReader::have(std::size_t count) {
  if (offset_ + static_cast<std::int64_t>(count) > file_size_) return false;
  const auto start = static_cast<std::size_t>(offset_ - buffer_offset_);
  if (start + count <= buffer_used_) return true;
  // Keep what is left of the buffer, then fill the rest from the file.
  std::memmove(buffer_.data(), buffer_.data() + start, buffer_used_ - start);
  buffer_used_ -= start;
  buffer_offset_ = offset_;
  if (count > buffer_.size()) buffer_.resize(count);
  while (buffer_used_ < count) {
    const ssize_t got = ::pread(fd_, buffer_.data() + buffer_used_, buffer_.size() - buffer_used_,
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

int RecordReader::next(std::vector<std::uint8_t>& bytes) {
  error_number_ = 0;
  if (fd_ < 0 || index_ >= count_ || index_ == INT_MAX) return -1;
  // marker, length, data, length, next marker
  if (!have(8)) return -1;
  const std::uint8_t* p = buffer_.data() + (offset_ - buffer_offset_);
  const std::int32_t marker = get_int32(p);
  const std::int32_t n = get_int32(p + 4);
  if (marker != index_ || n < 0 || static_cast<std::int64_t>(n) > file_size_ - offset_ - 16) return -1;
  const auto size = static_cast<std::size_t>(n);
  if (!have(16 + size)) return -1;
  p = buffer_.data() + (offset_ - buffer_offset_);
  if (get_int32(p + 8 + size) != n || get_int32(p + 12 + size) != index_ + 1) return -1;
  bytes.assign(p + 8, p + 8 + size);
  offset_ += 12 + static_cast<std::int64_t>(size);
  ++index_;
  return 0;
}

}  // namespace orvadw
