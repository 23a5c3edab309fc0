#include "link/block_transfer.h"

#include "base/result_codes.h"

namespace orvadw {

namespace {

// Gives the master back its answer time-out on every way out. It is taken
// before connecting: the modem dialogue sets its own long time-outs while it
// connects, and those must not outlive it.
class TimeoutRestorer {
 public:
  explicit TimeoutRestorer(JBusMaster& master) : master_(master), saved_(master.answer_timeout()) {}
  ~TimeoutRestorer() { master_.set_answer_timeout(saved_); }
  TimeoutRestorer(const TimeoutRestorer&) = delete;
  TimeoutRestorer& operator=(const TimeoutRestorer&) = delete;

 private:
  JBusMaster& master_;
  int saved_;
};

}  // namespace

BlockTransfer::BlockTransfer(JBusMaster& master, int port_number, int baud_index, int jbus_number)
    : master_(master), port_number_(port_number), baud_index_(baud_index), jbus_number_(jbus_number) {}

void BlockTransfer::set_timeouts(int read_ms, int write_ms) {
  read_timeout_ms_ = read_ms;
  write_timeout_ms_ = write_ms;
}

void BlockTransfer::set_modem(bool use_modem, bool* modem_connected) {
  use_modem_ = use_modem;
  modem_connected_ = modem_connected;
}

void BlockTransfer::set_idle_hook(std::function<void()> hook) { idle_hook_ = std::move(hook); }

bool BlockTransfer::skip_first_read(int& start_mode) {
  if (start_mode != kModeNew && start_mode != kModeFromFile) return false;
  start_mode = kModeFromInstrument;
  return true;
}

int BlockTransfer::connect() {
  bool unused = false;
  bool& connected = modem_connected_ != nullptr ? *modem_connected_ : unused;
  const bool use_modem = use_modem_ && modem_connected_ != nullptr;
  last_code_ = master_.connect(port_number_, baud_index_, 'N', 8, 1, use_modem, connected);
  return last_code_;
}

int BlockTransfer::transact(int function, int address, int count, Bytes& data) {
  if (idle_hook_) master_.set_idle_hook(idle_hook_);
  last_code_ = master_.transact(jbus_number_, function, address, count, data, 2);
  // The hook belongs to this transaction's window only.
  if (idle_hook_) master_.set_idle_hook({});
  return last_code_;
}

BlockTransfer::ReadStatus BlockTransfer::read(int address, int count, Bytes& data, int& start_mode) {
  if (skip_first_read(start_mode)) {
    last_code_ = result::kOk;
    return ReadStatus::kSkipped;
  }
  return read(address, count, data);
}

BlockTransfer::ReadStatus BlockTransfer::read(int address, int count, Bytes& data) {
  TimeoutRestorer restore(master_);
  if (connect() != 0) {
    data.clear();
    return ReadStatus::kConnectFailed;
  }
  master_.set_answer_timeout(read_timeout_ms_);
  return transact(kReadFunction, address, count, data) == 0 ? ReadStatus::kRead
                                                             : ReadStatus::kNoAnswer;
}

int BlockTransfer::write(int address, const Bytes& bytes) {
  TimeoutRestorer restore(master_);
  master_.set_answer_timeout(read_timeout_ms_);
  if (connect() != 0) return result::kCannotOpenForWrite;
  master_.set_answer_timeout(write_timeout_ms_);
  Bytes data = bytes;
  const int count = static_cast<int>((bytes.size() + 1) / 2);
  return transact(kWriteFunction, address, count, data) == 0 ? 0 : -1;
}

}  // namespace orvadw
