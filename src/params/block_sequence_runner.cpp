#include "params/block_sequence_runner.h"

#include <algorithm>

namespace orvadw {

SequenceOutcome read_sequence(const std::vector<int>& blocks, BlockAccess& access) {
  SequenceOutcome outcome;
  for (int block : blocks) {
    const int rc = access.read_block(block);
    if (rc != 0) {
      outcome.result = rc;
      outcome.failed_block = block;
      return outcome;
    }
    outcome.done.push_back(block);
    access.step_progress(1);
  }
  return outcome;
}

SequenceOutcome transfer_sequence(const std::vector<int>& blocks, int attempts,
                                  BlockAccess& access) {
  SequenceOutcome outcome;
  const int tries = std::max(attempts, 1);
  for (int block : blocks) {
    int rc = -1;
    for (int attempt = 0; attempt < tries; ++attempt) {
      rc = access.write_block(block);
      access.step_progress(1);
      if (rc == 0) break;
    }
    if (rc != 0) {
      outcome.result = rc;
      outcome.failed_block = block;
      return outcome;
    }
    outcome.done.push_back(block);
  }
  return outcome;
}

int transfer_progress_range(int block_count, int attempts) {
  return std::max(attempts, 1) * std::max(block_count, 0) + 1;
}

}  // namespace orvadw
