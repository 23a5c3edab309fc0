#pragma once
// The two ways every instrument window talks to the instrument: read one
// block of registers, or write one. Both connect the master first (the COM
// port, speed index, no parity, 8 data bits, 1 stop bit, or the modem line),
// run the transaction under their own answer time-out and give the master
// back the time-out it had. No windows here: the caller turns the outcome
// into its message, so the windows and the command line share the sequence.
#include <functional>

#include "link/jbus_frame.h"
#include "link/jbus_master.h"

namespace orvadw {

class BlockTransfer {
 public:
  static constexpr int kReadTimeoutMs = 1000;
  static constexpr int kWriteTimeoutMs = 2500;
  static constexpr int kReadFunction = 3;
  static constexpr int kWriteFunction = 16;
  // Start modes whose data need no first read: new (2) and from a file (4).
  static constexpr int kModeFromInstrument = 1;
  static constexpr int kModeNew = 2;
  static constexpr int kModeFromFile = 4;

  enum class ReadStatus {
    kRead,           // data holds the registers
    kSkipped,        // the first read of a new or loaded window: nothing sent
    kConnectFailed,  // the port or the modem line could not be opened
    kNoAnswer,       // no valid answer after the retries
  };

  // port_number is 1-based (the stored Port + 1).
  BlockTransfer(JBusMaster& master, int port_number, int baud_index, int jbus_number);

  void set_timeouts(int read_ms, int write_ms);
  // The program-wide modem switch and connected flag; connect() sets the
  // flag when it made the modem connection. Without a flag the modem is off.
  void set_modem(bool use_modem, bool* modem_connected);
  // Runs while a transaction waits (the please-wait window repaints there);
  // installed on the master for the transaction only.
  void set_idle_hook(std::function<void()> hook);

  // The reading pattern. In start mode 2 or 4 the mode becomes 1 and nothing
  // is read (kSkipped). Otherwise connect, transact with function 3 and
  // count registers.
  ReadStatus read(int address, int count, Bytes& data, int& start_mode);
  // The same without the start-mode rule.
  ReadStatus read(int address, int count, Bytes& data);

  // The writing pattern: function 16 with (bytes + 1) / 2 registers. 0, 500
  // when the line could not be opened, -1 when no valid answer came.
  int write(int address, const Bytes& bytes);

  // The link's code of the last connect or transaction (0 after success).
  int last_code() const { return last_code_; }

  // True (and the mode becomes 1) when start_mode says the first read is
  // skipped.
  static bool skip_first_read(int& start_mode);

 private:
  int connect();
  int transact(int function, int address, int count, Bytes& data);

  JBusMaster& master_;
  int port_number_;
  int baud_index_;
  int jbus_number_;
  int read_timeout_ms_ = kReadTimeoutMs;
  int write_timeout_ms_ = kWriteTimeoutMs;
  bool use_modem_ = false;
  bool* modem_connected_ = nullptr;
  std::function<void()> idle_hook_;
  int last_code_ = 0;
};

}  // namespace orvadw
