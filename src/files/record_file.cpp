#include "files/record_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "base/c_locale.h"

namespace orvadw {

namespace {

void put_int32(std::vector<std::uint8_t>& out, std::int32_t value) {
  auto u = static_cast<std::uint32_t>(value);
  out.push_back(static_cast<std::uint8_t>(u & 0xFF));
  out.push_back(static_cast<std::uint8_t>((u >> 8) & 0xFF));
  out.push_back(static_cast<std::uint8_t>((u >> 16) & 0xFF));
  out.push_back(static_cast<std::uint8_t>((u >> 24) & 0xFF));
}

std::int32_t get_int32(const std::uint8_t* p) {
  std::uint32_t u = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                    (static_cast<std::uint32_t>(p[2]) << 16) |
                    (static_cast<std::uint32_t>(p[3]) << 24);
  return static_cast<std::int32_t>(u);
}

// Two characters at pos as a decimal number, atoi-style: leading blanks and a
// sign allowed, anything unreadable counts as 0.
int two_digits(const std::string& line, std::size_t pos) {
  return static_cast<int>(c_strtoll(line.substr(pos, 2)));
}

}  // namespace

RecordFile::~RecordFile() { close(); }

void RecordFile::reset_state() {
  file_size_ = 0;
  header_length_ = 0;
  record_count_ = 0;
  current_index_ = kNoFile;
  tail_damaged_ = false;
  date_line_.clear();
  markers_.clear();
  markers_.shrink_to_fit();
}

int RecordFile::create(const std::string& path) {
  close();
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    error_number_ = errno;
    return -1;
  }
  fd_ = fd;
  writable_ = true;
  path_ = path;
  error_number_ = 0;
  return 0;
}

int RecordFile::create_replacement(const std::string& path) {
  close();
  if (replacement_.open(path) != 0) {
    error_number_ = replacement_.error_number();
    return -1;
  }
  fd_ = replacement_.fd();
  writable_ = true;
  path_ = path;
  error_number_ = 0;
  return 0;
}

int RecordFile::commit() {
  if (!replacement_.is_open()) {
    error_number_ = EBADF;
    return -1;
  }
  fd_ = -1;
  const int rc = replacement_.commit();
  error_number_ = rc == 0 ? 0 : replacement_.error_number();
  close();
  return rc;
}

int RecordFile::open(const std::string& path, bool writable) {
  close();
  // Non-blocking so that a named pipe given as a file cannot hang the open.
  int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error_number_ = errno;
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error_number_ = errno;
    ::close(fd);
    return -1;
  }
  if (S_ISDIR(st.st_mode)) {
    // Reading a folder fails only at the first read; say so at once.
    error_number_ = EISDIR;
    ::close(fd);
    return -1;
  }
  fd_ = fd;
  writable_ = writable;
  path_ = path;
  error_number_ = 0;
  return 0;
}

void RecordFile::close() {
  if (replacement_.is_open()) {
    replacement_.discard();
  } else if (fd_ >= 0) {
    ::close(fd_);
  }
  fd_ = -1;
  writable_ = false;
  path_.clear();
  reset_state();
}

bool RecordFile::read_exact(std::int64_t offset, void* buffer, std::size_t size) {
  auto* p = static_cast<std::uint8_t*>(buffer);
  while (size > 0) {
    ssize_t got = ::pread(fd_, p, size, static_cast<off_t>(offset));
    if (got < 0) {
      if (errno == EINTR) continue;
      error_number_ = errno;
      return false;
    }
    if (got == 0) return false;  // the file is shorter than it claims
    p += got;
    offset += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool RecordFile::read_int32(std::int64_t offset, std::int32_t& value) {
  if (offset < 0 || offset + 4 > file_size_) return false;
  std::uint8_t raw[4];
  if (!read_exact(offset, raw, 4)) return false;
  value = get_int32(raw);
  return true;
}

bool RecordFile::write_all(std::int64_t offset, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    ssize_t put = ::pwrite(fd_, data, size, static_cast<off_t>(offset));
    if (put < 0) {
      if (errno == EINTR) continue;
      error_number_ = errno;
      return false;
    }
    if (put == 0) {
      error_number_ = EIO;
      return false;
    }
    data += put;
    offset += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

int RecordFile::create_header(std::string_view text, const DateTime& time) {
  error_number_ = 0;
  if (fd_ < 0 || !writable_) return -1;
  // A longer header would give a file that no reader accepts.
  if (text.size() > kMaxHeaderText) return -1;
  std::string date = c_format("%02d/%02d/%04d - %02d:%02d:%02d\n", time.day(), time.month(),
                              time.year(), time.hour(), time.minute(), time.second());
  if (date.size() != kDateLineLength + 1) return -1;

  const auto length = static_cast<std::int32_t>(kHeaderOverhead + text.size());
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(length) + 4);
  put_int32(bytes, length);
  bytes.push_back('\n');
  bytes.push_back('\n');
  bytes.insert(bytes.end(), date.begin(), date.end());
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back('\n');
  put_int32(bytes, 0);

  if (!write_all(0, bytes.data(), bytes.size())) return -1;
  // Whatever the file held before is no longer framed by this header.
  if (::ftruncate(fd_, static_cast<off_t>(bytes.size())) != 0 || ::fdatasync(fd_) != 0) {
    error_number_ = errno;
    return -1;
  }
  file_size_ = static_cast<std::int64_t>(bytes.size());
  header_length_ = length;
  record_count_ = 0;
  current_index_ = kAtFirstMarker;
  tail_damaged_ = false;
  date_line_ = date.substr(0, kDateLineLength);
  markers_.assign(1, length);
  return 0;
}

int RecordFile::read_header(std::string& text, DateTime& time) {
  error_number_ = 0;
  if (fd_ < 0) return -1;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    error_number_ = errno;
    return -1;
  }
  reset_state();
  // Pipes and devices have no size to check lengths against.
  if (!S_ISREG(st.st_mode)) return -1;
  file_size_ = static_cast<std::int64_t>(st.st_size);

  std::int32_t length = 0;
  if (!read_int32(0, length)) return -1;
  if (length > kMaxHeaderLength || length < kHeaderOverhead) return -1;
  // The header and marker 0 must be inside the file.
  if (file_size_ < static_cast<std::int64_t>(length) + 4) return -1;

  std::vector<std::uint8_t> header(static_cast<std::size_t>(length));
  if (!read_exact(0, header.data(), header.size())) return -1;

  // Three lines after the length, each ending with a line feed inside the
  // header; only the third (the save time) is kept.
  std::size_t pos = 4;
  std::size_t line_start = pos;
  for (int n = 0; n < 3; ++n) {
    line_start = pos;
    while (pos < header.size() && header[pos] != '\n') ++pos;
    if (pos >= header.size()) return -1;
    ++pos;
  }
  if (pos - 1 - line_start != kDateLineLength) return -1;
  const std::string line(header.begin() + static_cast<std::ptrdiff_t>(line_start),
                         header.begin() + static_cast<std::ptrdiff_t>(pos - 1));
  // What is left is the header text and the header's own final line feed.
  if (pos >= header.size()) return -1;

  std::int32_t marker = -1;
  if (!read_int32(length, marker) || marker != 0) return -1;

  std::int32_t count = 0;
  if (!read_int32(file_size_ - 4, count)) return -1;
  header_length_ = length;
  if (tail_consistent(count)) {
    record_count_ = count;
    markers_.assign(static_cast<std::size_t>(count) + 1, -1);
    markers_.front() = length;
    markers_.back() = file_size_ - 4;
  } else {
    count_records_from_start();
  }

  std::string body(header.begin() + static_cast<std::ptrdiff_t>(pos), header.end() - 1);
  // The stored text normally ends with the line feed of its last line; the
  // caller gets the lines without it.
  if (!body.empty() && body.back() == '\n') body.pop_back();
  text = std::move(body);

  date_line_ = line;
  int year = two_digits(line, 8);
  year += year <= 38 ? 2000 : 1900;
  time = DateTime(year, two_digits(line, 3), two_digits(line, 0), two_digits(line, 13),
                  two_digits(line, 16), two_digits(line, 19));
  current_index_ = kAtFirstMarker;
  return 0;
}

bool RecordFile::check_record_at(std::int64_t offset, std::int32_t index, std::int32_t& length) {
  // marker, length, data, length, next marker
  if (offset < header_length_ || offset + 16 > file_size_) return false;
  std::int32_t marker = 0;
  std::int32_t n = 0;
  std::int32_t trailing = 0;
  std::int32_t next = 0;
  if (!read_int32(offset, marker) || marker != index) return false;
  if (!read_int32(offset + 4, n) || n < 0) return false;
  if (static_cast<std::int64_t>(n) > file_size_ - offset - 16) return false;
  if (!read_int32(offset + 8 + n, trailing) || trailing != n) return false;
  if (index == INT32_MAX) return false;
  if (!read_int32(offset + 12 + n, next) || next != index + 1) return false;
  length = n;
  return true;
}

bool RecordFile::tail_consistent(std::int32_t count) {
  const std::int64_t end_marker = file_size_ - 4;
  if (count < 0) return false;
  if (count == 0) return end_marker == header_length_;
  // Every record needs at least 12 bytes after its leading marker.
  if (static_cast<std::int64_t>(count) > (end_marker - header_length_) / 12) return false;
  std::int32_t n = 0;
  if (!read_int32(end_marker - 4, n) || n < 0) return false;
  const std::int64_t last = end_marker - 12 - n;
  if (last < header_length_ || last - header_length_ < 12LL * (count - 1)) return false;
  if (count == 1 && last != header_length_) return false;
  std::int32_t length = 0;
  return check_record_at(last, count - 1, length) && length == n;
}

void RecordFile::count_records_from_start() {
  tail_damaged_ = true;
  // Reserved once, so that the walk never asks for more than the file holds.
  markers_.clear();
  markers_.reserve(static_cast<std::size_t>((file_size_ - 4 - header_length_) / 12) + 1);
  markers_.push_back(header_length_);
  std::int64_t offset = header_length_;
  std::int32_t index = 0;
  std::int32_t n = 0;
  while (index < INT32_MAX && check_record_at(offset, index, n)) {
    offset += 12 + static_cast<std::int64_t>(n);
    markers_.push_back(offset);
    ++index;
  }
  record_count_ = index;
}

bool RecordFile::walk_forward(std::size_t from, std::size_t to) {
  std::int32_t n = 0;
  for (std::size_t k = from; k < to; ++k) {
    if (!check_record_at(markers_[k], static_cast<std::int32_t>(k), n)) return false;
    markers_[k + 1] = markers_[k] + 12 + n;
  }
  return true;
}

bool RecordFile::walk_backward(std::size_t from, std::size_t to) {
  std::int32_t n = 0;
  for (std::size_t k = from; k > to; --k) {
    const std::int64_t here = markers_[k];
    std::int32_t trailing = 0;
    if (!read_int32(here - 4, trailing) || trailing < 0) return false;
    const std::int64_t previous = here - 12 - static_cast<std::int64_t>(trailing);
    if (!check_record_at(previous, static_cast<std::int32_t>(k - 1), n) || n != trailing) {
      return false;
    }
    markers_[k - 1] = previous;
  }
  return true;
}

bool RecordFile::locate(int index, std::int64_t& offset) {
  const auto at = static_cast<std::size_t>(index);
  if (markers_[at] < 0) {
    // Walk from the nearest marker already known; both ends always are, and
    // every step checks the record it crosses. A damaged record on one side
    // does not hide the records that can be reached from the other.
    std::size_t lo = at;
    while (markers_[lo] < 0) --lo;
    std::size_t hi = at;
    while (markers_[hi] < 0) ++hi;
    const bool forward_first = at - lo <= hi - at;
    bool found = forward_first ? walk_forward(lo, at) : walk_backward(hi, at);
    if (!found) found = forward_first ? walk_backward(hi, at) : walk_forward(lo, at);
    if (!found) return false;
  }
  offset = markers_[at];
  return true;
}

int RecordFile::read_record(int index, std::vector<std::uint8_t>& bytes) {
  error_number_ = 0;
  if (fd_ < 0 || current_index_ < kAtFirstMarker) return -1;
  if (index < 0 || index >= record_count_) return -1;
  std::int64_t offset = 0;
  std::int32_t n = 0;
  if (!locate(index, offset) || !check_record_at(offset, index, n)) {
    // In a damaged file a marker learnt walking one way can disagree with
    // the other way (junk between records): walk again from each end.
    const auto at = static_cast<std::size_t>(index);
    const bool found = walk_backward(static_cast<std::size_t>(record_count_), at) ||
                       walk_forward(0, at);
    if (!found || !check_record_at(markers_[at], index, n)) return -1;
    offset = markers_[at];
  }
  std::vector<std::uint8_t> data(static_cast<std::size_t>(n));
  if (n > 0 && !read_exact(offset + 8, data.data(), data.size())) return -1;
  bytes = std::move(data);
  current_index_ = index;
  markers_[static_cast<std::size_t>(index) + 1] = offset + 12 + n;
  return 0;
}

int RecordFile::append(std::span<const std::uint8_t> bytes) {
  const std::vector<std::uint8_t> one(bytes.begin(), bytes.end());
  return append_records(std::span<const std::vector<std::uint8_t>>(&one, 1));
}

int RecordFile::append_records(std::span<const std::vector<std::uint8_t>> records) {
  error_number_ = 0;
  if (fd_ < 0 || !writable_ || current_index_ < kAtFirstMarker) return -1;
  // Writing after a cut record would bury it inside the next one.
  if (tail_damaged_) return -1;
  if (records.empty()) return 0;
  if (records.size() > static_cast<std::size_t>(INT32_MAX - record_count_)) return -1;
  std::size_t total = 0;
  for (const auto& bytes : records) {
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX - 16)) return -1;
    total += bytes.size() + 12;
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    error_number_ = errno;
    return -1;
  }
  // Another writer changed the file: our count would no longer be its tail.
  if (static_cast<std::int64_t>(st.st_size) != file_size_) return -1;

  std::vector<std::uint8_t> frames;
  frames.reserve(total);
  std::vector<std::int64_t> next_markers;
  for (std::size_t k = 0; k < records.size(); ++k) {
    const auto n = static_cast<std::int32_t>(records[k].size());
    put_int32(frames, n);
    frames.insert(frames.end(), records[k].begin(), records[k].end());
    put_int32(frames, n);
    put_int32(frames, record_count_ + static_cast<std::int32_t>(k) + 1);
    next_markers.push_back(file_size_ + static_cast<std::int64_t>(frames.size()) - 4);
  }

  const std::int64_t end = file_size_;
  if (!write_all(end, frames.data(), frames.size()) || ::fdatasync(fd_) != 0) {
    if (error_number_ == 0) error_number_ = errno;
    // Leave the file as it was, so that the next append still fits.
    if (::ftruncate(fd_, static_cast<off_t>(end)) == 0) ::fdatasync(fd_);
    return -1;
  }
  file_size_ = end + static_cast<std::int64_t>(frames.size());
  markers_.insert(markers_.end(), next_markers.begin(), next_markers.end());
  record_count_ += static_cast<int>(records.size());
  current_index_ = record_count_ - 1;
  return 0;
}

}  // namespace orvadw
