#pragma once
// A serial port that plays a fuzz input back as the other end of the line.
// Each request written releases the next answer of the script; an answer
// comes in segments, and between two segments (and after the last) a read
// times out at once, as a line that falls silent would. An answer may also
// make the device vanish, as an unplugged adapter does. Nothing waits: a
// time-out is immediate, so one input runs in microseconds.
//
// "fuzz:" devices open on the script last handed to set_script().
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace orvadw::fuzz {

struct ScriptedAnswer {
  std::vector<std::vector<std::uint8_t>> segments;
  bool vanish = false;  // the device goes away once this answer is read
};

struct Script {
  std::vector<ScriptedAnswer> answers;
  // Every write, as it reached the port.
  std::vector<std::vector<std::uint8_t>> written;
};

// Makes "fuzz:line" open on this script (which must outlive the ports) and
// maps COM1 to it. Registers the driver once.
void set_script(Script* script);
inline constexpr int kScriptedComNumber = 1;

class ScriptedPort : public SerialPort {
 public:
  ScriptedPort(Script* script, int port_index);

  int write_block(const std::uint8_t* data, int length) override;
  int read_block(std::uint8_t* buffer, int length) override;
  int read_byte() override;
  int read_byte_timeout(int timeout_ms, const IdleHook& idle) override;
  int transmit_count() override { return 0; }
  int purge_transmit() override { return 0; }
  int set_line(int, char, int, int) override { return 0; }
  int close() override { return 0; }
  bool is_alive() const override;

 private:
  int next_locked();

  Script* script_;
  mutable std::mutex mutex_;
  std::size_t next_answer_ = 0;
  const ScriptedAnswer* current_ = nullptr;
  std::size_t segment_ = 0;
  std::size_t offset_ = 0;
  bool gone_ = false;
};

}  // namespace orvadw::fuzz
