#pragma once
// One scratch file per process for the targets that need a file on disk, in
// memory-backed /dev/shm when there is one.
#include <cstdint>
#include <string>
#include <vector>

namespace orvadw::fuzz {

// The scratch file's path (its folder is made on first use).
const std::string& scratch_path(const char* name);

bool write_whole_file(const std::string& path, const std::uint8_t* data, std::size_t size);
std::vector<std::uint8_t> read_whole_file(const std::string& path);

}  // namespace orvadw::fuzz
