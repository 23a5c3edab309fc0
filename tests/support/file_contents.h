#pragma once
// Whole files read and written as they are on disk, for checking what the
// code under test wrote and for planting hand-made files; and whether a path
// is there at all.
#include <cstdint>
#include <string>
#include <vector>

namespace orvadw::test {

// The file's bytes; empty when it cannot be read.
std::string read_file(const std::string& path);
std::vector<std::uint8_t> read_file_bytes(const std::string& path);

// Replaces the file's content; false when it cannot be written.
bool write_file(const std::string& path, const std::string& content);
bool write_file_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// True when something (a file, a folder, a link even if dangling) is at path.
bool path_exists(const std::string& path);
bool is_directory(const std::string& path);

}  // namespace orvadw::test
