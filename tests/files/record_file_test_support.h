#pragma once
// Helpers for the record-file tests: a builder for hand-made file bytes and
// records that show when they are mixed up. Scratch folders and whole-file
// reads and writes come from tests/support.
#include <cstdint>
#include <string_view>
#include <vector>

#include "tests/support/file_contents.h"
#include "tests/support/temp_dir.h"

namespace orvadw::test {

using Bytes = std::vector<std::uint8_t>;

// Builds file bytes by hand, independently of the code under test.
class FileBytes {
 public:
  FileBytes& i32(std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    for (int s = 0; s < 32; s += 8) bytes_.push_back(static_cast<std::uint8_t>((u >> s) & 0xFF));
    return *this;
  }
  FileBytes& text(std::string_view s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }
  FileBytes& raw(const Bytes& b) {
    bytes_.insert(bytes_.end(), b.begin(), b.end());
    return *this;
  }
  // A complete header: length, two line feeds, the date line (with its line
  // feed), the text, a line feed, marker 0.
  FileBytes& header(std::string_view date_line, std::string_view header_text) {
    i32(static_cast<std::int32_t>(4 + 2 + date_line.size() + header_text.size() + 1));
    text("\n\n").text(date_line).text(header_text).text("\n");
    return i32(0);
  }
  // One record after the marker already written: n, data, n, next marker.
  FileBytes& record(const Bytes& data, std::int32_t next_marker) {
    i32(static_cast<std::int32_t>(data.size())).raw(data).i32(static_cast<std::int32_t>(data.size()));
    return i32(next_marker);
  }
  const Bytes& bytes() const { return bytes_; }
  std::size_t size() const { return bytes_.size(); }

 private:
  Bytes bytes_;
};

// A record whose bytes depend on its index, so a wrong record shows.
inline Bytes pattern_record(int index, std::size_t size) {
  Bytes b(size);
  for (std::size_t i = 0; i < size; ++i) {
    b[i] = static_cast<std::uint8_t>((index * 131 + static_cast<int>(i) * 7 + 3) & 0xFF);
  }
  return b;
}

}  // namespace orvadw::test
