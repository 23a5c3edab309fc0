#pragma once
// Reading and writing the block sequences of a settings-family window, the
// same for the windows and the command line: each gives the runner its way
// to one block (BlockAccess), the runner keeps the order, the attempts, the
// progress steps and where it stopped.
#include <vector>

namespace orvadw {

class BlockAccess {
 public:
  virtual ~BlockAccess() = default;
  // Reads one block from the instrument and stores what came. 0 or -1.
  virtual int read_block(int block) = 0;
  // Encodes one block and writes it: 0, 500 when the line cannot be opened,
  // -1 when no valid answer came.
  virtual int write_block(int block) = 0;
  // Moves the progress bar on.
  virtual void step_progress(int amount) { (void)amount; }
};

struct SequenceOutcome {
  int result = 0;         // 0 when every block was done, else the failing block's result
  int failed_block = -1;  // -1 when none failed
  std::vector<int> done;  // the blocks read or written, in order
  bool ok() const { return result == 0; }
};

// Reads every block in order, stepping once after each; the first failure
// stops the loop.
SequenceOutcome read_sequence(const std::vector<int>& blocks, BlockAccess& access);

// Writes every block in order with up to attempts tries each (at least one),
// stepping after every try; a block that still fails ends the transfer and
// the blocks after it are not written. An empty sequence succeeds.
SequenceOutcome transfer_sequence(const std::vector<int>& blocks, int attempts,
                                  BlockAccess& access);

// The progress range of a transfer: attempts x blocks + 1.
int transfer_progress_range(int block_count, int attempts);

}  // namespace orvadw
