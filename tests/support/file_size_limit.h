#pragma once
// Runs a piece of a test in a child process whose files may not grow beyond a
// limit (RLIMIT_FSIZE): the way to make a save fail half-way, as a full disk
// would, or to kill the saving process in the middle of a write.
#include <sys/types.h>

#include <functional>

namespace orvadw::test {

enum class AtFileSizeLimit {
  kWriteFails,  // SIGXFSZ ignored: the write that crosses the limit gives EFBIG
  kProcessDies, // SIGXFSZ as it comes: the process is killed by it mid-write
};

struct ChildEnd {
  int exit_code = -1;  // when it exited
  int signal = 0;      // when a signal ended it
};

// Forks, sets the limit in the child, runs body there and exits with its
// result (0-255). Bounded: a child still running after 30 s is killed.
ChildEnd run_with_file_size_limit(off_t limit_bytes, AtFileSizeLimit at_limit,
                                  const std::function<int()>& body);

}  // namespace orvadw::test
