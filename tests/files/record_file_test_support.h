#pragma once
// Helpers for the record-file tests: a scratch folder, whole-file reads and
// writes, and a builder for hand-made file bytes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace orvadw::test {

using Bytes = std::vector<std::uint8_t>;

class ScratchDir {
 public:
  ScratchDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "orvadw-files-XXXXXX").string();
    char* made = ::mkdtemp(templ.data());
    if (made == nullptr) {
      ADD_FAILURE() << "mkdtemp failed";
    } else {
      path_ = made;
    }
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline Bytes read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_all(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

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
