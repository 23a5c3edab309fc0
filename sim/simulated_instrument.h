#pragma once
// The simulated flowmeter: answers JBus requests as the instrument does, from a
// register image laid out by hand (independently of the parameter model, so
// that tests against it catch codec faults). Thread-safe.
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <memory>
#include <vector>

#include "sim/civil_time.h"

namespace orvadw::sim {

struct InstrumentOptions {
  int jbus = 1;                             // its own JBus number
  std::string firmware = "10-11-A";         // software version text at 0xFF00 byte 10
  int logger_entries = 25;                  // entries held by the event logger
  std::uint64_t seed = 1;                   // noise of the live values
  bool manual_clock = false;                // true: time moves only by advance()
};

struct InstrumentCounters {
  std::uint64_t requests = 0;    // complete frames received with a good CRC
  std::uint64_t answered = 0;    // normal answers
  std::uint64_t exceptions = 0;  // exception answers
  std::uint64_t ignored = 0;     // frames for another slave number, or bad CRC
  std::uint64_t writes = 0;      // function 16 requests that changed the image
};

class SimulatedInstrument {
 public:
  explicit SimulatedInstrument(InstrumentOptions options = {});

  // One complete request frame in (CRC included), the answer frame out.
  // Empty when the instrument stays silent (another slave number, bad CRC).
  // Faults are not applied here; the wire (SimBus, orvadw-sim) adds them.
  std::vector<std::uint8_t> answer(const std::vector<std::uint8_t>& request);

  // The register image as on the wire (high byte of each register first),
  // for tests; empty when any register of the range does not exist.
  std::vector<std::uint8_t> registers(int address, int count) const;
  void set_registers(int address, const std::vector<std::uint8_t>& bytes);
  // Logger entry i as answered by function 4 (16 bytes).
  std::vector<std::uint8_t> logger_entry(int index) const;

  // Moves the live values and the clock on by this much (with manual_clock;
  // otherwise they follow the wall clock).
  void advance(std::chrono::milliseconds step);

  int jbus() const;
  InstrumentCounters counters() const;

  // The instrument clock now, and the number of entries its logger holds.
  CivilTime clock() const;
  int logger_size() const;

  // Register blocks (start address, number of registers) and the logger
  // capacity, for tests that probe the edges of the map.
  static constexpr int kIdentAddress = 0xFF00, kIdentCount = 25;
  static constexpr int kLiveAddress = 0x100, kLiveCount = 24;
  static constexpr int kParamsAddress = 0x1000, kParamsCount = 50;
  static constexpr int kClockAddress = 0x2301, kClockCount = 3;
  static constexpr int kResetAddress = 0x230A, kResetCount = 2;
  static constexpr int kOutputsAddress = 0x3000, kOutputsCount = 7;
  static constexpr int kSpecialAddress = 0x4000, kSpecialCount = 9;
  static constexpr int kEscAddress = 0xB00, kEscCount = 62;
  static constexpr int kLoggerCapacity = 1000;
  static constexpr int kLoggerEntryBytes = 16;

 private:
  struct Impl;
  std::shared_ptr<Impl> impl_;
};

}  // namespace orvadw::sim
