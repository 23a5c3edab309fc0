#pragma once
// Writing a file whole, so that a crash or a full disk never leaves half of
// one behind.
#include <string>
#include <string_view>

namespace orvadw {

// Replaces the file with content: a temporary file beside it, flushed,
// given the old file's mode, then renamed over it. A crash leaves the old or
// the new file. 0, or -1 with errno telling why (EISDIR for a target that is
// not a regular file).
int replace_file(const std::string& target, std::string_view content);

}  // namespace orvadw
