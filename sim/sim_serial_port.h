#pragma once
// A SerialPort on the in-process wire: bytes written reach the simulated
// instrument as requests, its answers come back after the line's delays and
// faults. A reader thread may wait in read_byte_timeout() while another
// thread writes and purges.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "link/serial_port.h"
#include "sim/frame_assembler.h"
#include "sim/sim_wire.h"

namespace orvadw::sim {

class SimSerialPort : public SerialPort {
 public:
  static constexpr int kDriverKind = 99;
  static constexpr int kQueueSize = 1050;

  // A port on the wire (wire null: a port that did not open, with that code).
  SimSerialPort(std::shared_ptr<SimWire> wire, int port_index, int failure_code = 0);
  ~SimSerialPort() override;

  int read_byte() override;
  int write_byte(std::uint8_t byte) override;
  int close() override;
  int set_line(int baud, char parity, int data_bits, int stop_bits) override;
  int set_software_flow(bool on) override;
  int set_rts_cts_flow(bool on) override;
  int set_dtr_dsr_flow(bool on) override;
  int set_dtr(bool on) override;
  int set_rts(bool on) override;
  int transmit_free() override;
  int transmit_count() override;
  int receive_free() override;
  int receive_count() override;
  int purge_transmit() override;
  int write_block(const std::uint8_t* data, int length) override;
  int read_block(std::uint8_t* buffer, int length) override;
  int send_break(int milliseconds) override;
  int modem_status() override;
  int line_status() override;
  int clear_line_errors() override;
  int clear_status() override;
  int read_byte_timeout(int timeout_ms, const IdleHook& idle) override;
  void interrupt_wait() override;
  bool is_alive() const override;

  // Called by the wire when the device goes away.
  void wake();

 private:
  using Clock = std::chrono::steady_clock;
  struct Due {
    Clock::time_point at;
    std::uint8_t byte;
  };

  // The code an operation gives while the port cannot work (0 when it can).
  int unusable_locked();
  int due_count_locked(Clock::time_point now) const;
  void feed_locked(std::uint8_t byte, Clock::time_point now, SimulatedInstrument* instrument);
  void detach_from_wire();

  std::shared_ptr<SimWire> wire_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<Due> received_;  // answer bytes with the time they become readable
  FrameAssembler assembler_;
  Clock::time_point last_written_{};
  bool closed_ = false;
  bool interrupted_ = false;
  int baud_ = 9600;
};

}  // namespace orvadw::sim
