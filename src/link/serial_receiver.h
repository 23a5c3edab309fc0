#pragma once
// What a serial channel's reader thread hands each byte, or a time-out, to.

namespace orvadw {

class SerialReceiver {
 public:
  virtual ~SerialReceiver() = default;
  // A byte 0..255, or a negative port code when the read failed (the device
  // went away, for instance). Runs on the reader thread. The result is the
  // receiver's own (-1 when the byte was not wanted).
  virtual int on_byte(int value) = 0;
  // The read time-out passed without a byte. Runs on the reader thread.
  virtual void on_timeout() = 0;
};

}  // namespace orvadw
