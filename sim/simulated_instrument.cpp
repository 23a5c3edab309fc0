#include "sim/simulated_instrument.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "sim/crc16.h"
#include "sim/random_source.h"

namespace orvadw::sim {

namespace {

// Function codes and exception codes of the protocol.
constexpr std::uint8_t kReadHolding = 3;
constexpr std::uint8_t kReadInput = 4;
constexpr std::uint8_t kWriteMultiple = 16;
constexpr std::uint8_t kIllegalFunction = 1;
constexpr std::uint8_t kIllegalAddress = 2;
constexpr std::uint8_t kIllegalValue = 3;

constexpr int kMaxReadCount = 125;
constexpr int kMaxWriteCount = 123;
// The logger answers 16 bytes an entry and the byte count is one byte.
constexpr int kMaxLoggerCount = 255 / SimulatedInstrument::kLoggerEntryBytes;

// Live values: byte positions in block 0x100.
constexpr int kLiveSpeed = 0;
constexpr int kLiveStatus = 5;
constexpr int kLiveTransit = 6;
constexpr int kLiveClock = 10;
constexpr int kLiveGain = 18;
constexpr int kLiveQuality = 20;
constexpr int kLiveSphereDate = 22;
constexpr int kLiveSphereCount = 28;
constexpr int kLiveFirmware = 32;
constexpr int kLiveFirmwareLength = 12;
constexpr int kLiveBoard = 44;
constexpr int kLiveModel = 46;

constexpr std::uint8_t kStatusFault = 0x01;
// A second status bit that the meter sets while it hears a good signal; a
// reader that looks at the whole byte instead of bit 0 shows a false fault.
constexpr std::uint8_t kStatusSignal = 0x02;

constexpr int kCycleMs = 500;            // one measurement cycle
constexpr int kMaxCyclesPerCatchUp = 2000;  // a long jump only moves the clock
constexpr int kLoggerKind = 1;           // event kind in the high nibble of byte 0

constexpr std::uint16_t kProductCode = 1011;
constexpr std::uint8_t kSerialWeek = 7;
constexpr std::uint8_t kSerialYear = 3;
constexpr std::uint32_t kSerialNumber = 1;
constexpr std::uint8_t kBoard = 1;  // "HW-B", as in the special settings
constexpr std::uint8_t kModel = 0;
constexpr const char* kSoftwareText = "Ultrasonic meter";

struct Block {
  int address;
  int count;
  std::vector<std::uint8_t> bytes;  // 2 x count
};

void put_u16(std::uint8_t* out, unsigned value) {
  out[0] = static_cast<std::uint8_t>(value >> 8);
  out[1] = static_cast<std::uint8_t>(value);
}

void put_u24(std::uint8_t* out, unsigned value) {
  out[0] = static_cast<std::uint8_t>(value >> 16);
  out[1] = static_cast<std::uint8_t>(value >> 8);
  out[2] = static_cast<std::uint8_t>(value);
}

void put_u32(std::uint8_t* out, std::uint32_t value) {
  out[0] = static_cast<std::uint8_t>(value >> 24);
  out[1] = static_cast<std::uint8_t>(value >> 16);
  out[2] = static_cast<std::uint8_t>(value >> 8);
  out[3] = static_cast<std::uint8_t>(value);
}

std::uint32_t get_u32(const std::uint8_t* in) {
  return (std::uint32_t{in[0]} << 24) | (std::uint32_t{in[1]} << 16) |
         (std::uint32_t{in[2]} << 8) | std::uint32_t{in[3]};
}

void put_float(std::uint8_t* out, float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  put_u32(out, bits);
}

// Text fields are blank padded to their width.
void put_text(std::uint8_t* out, const std::string& text, int width) {
  for (int i = 0; i < width; ++i) {
    out[i] = i < static_cast<int>(text.size()) ? static_cast<std::uint8_t>(text[i]) : ' ';
  }
}

std::vector<std::uint8_t> exception_frame(int slave, std::uint8_t function, std::uint8_t code) {
  std::vector<std::uint8_t> frame{static_cast<std::uint8_t>(slave),
                                  static_cast<std::uint8_t>(function | 0x80), code};
  append_crc(frame);
  return frame;
}

}  // namespace

struct SimulatedInstrument::Impl {
  mutable std::mutex mutex;
  InstrumentOptions options;
  InstrumentCounters counters;
  std::array<Block, 8> blocks;
  std::vector<std::array<std::uint8_t, kLoggerEntryBytes>> logger;

  RandomSource noise;
  std::chrono::steady_clock::time_point last_wall;
  std::int64_t clock_seconds = 0;
  int clock_ms = 0;
  int cycle_ms = 0;

  // Slowly moving state of the measurement.
  double speed_drift = 0.0;
  double gain = 40.0;
  int fault_cycles_left = 0;

  explicit Impl(InstrumentOptions opts) : options(std::move(opts)), noise(options.seed) {
    if (options.jbus < 1 || options.jbus > 255) options.jbus = 1;
    options.logger_entries = std::clamp(options.logger_entries, 0, kLoggerCapacity);

    // Manual time starts from a fixed date so that tests repeat exactly.
    CivilTime start = options.manual_clock ? CivilTime{2024, 3, 15, 12, 0, 0} : local_now();
    clock_seconds = seconds_from_civil(start);
    last_wall = std::chrono::steady_clock::now();

    build_identification();
    build_live();
    build_parameters();
    blocks[3] = Block{kClockAddress, kClockCount, std::vector<std::uint8_t>(kClockCount * 2, 0)};
    blocks[4] = Block{kResetAddress, kResetCount, std::vector<std::uint8_t>(kResetCount * 2, 0)};
    build_outputs();
    build_special();
    build_esc();
    build_logger();
    run_cycle();
    refresh_clock_bytes();
  }

  Block* find(int address, int count) {
    for (Block& b : blocks) {
      if (address >= b.address && address + count <= b.address + b.count) return &b;
    }
    return nullptr;
  }

  void build_identification() {
    Block b{kIdentAddress, kIdentCount, std::vector<std::uint8_t>(kIdentCount * 2, 0)};
    std::uint8_t* p = b.bytes.data();
    p[1] = static_cast<std::uint8_t>(options.jbus);
    put_u16(p + 2, kProductCode);
    p[4] = kSerialWeek;
    p[5] = kSerialYear;
    put_u32(p + 6, kSerialNumber);
    put_text(p + 10, options.firmware, 20);
    put_text(p + 30, kSoftwareText, 20);
    blocks[0] = std::move(b);
  }

  void build_live() {
    Block b{kLiveAddress, kLiveCount, std::vector<std::uint8_t>(kLiveCount * 2, 0)};
    std::uint8_t* p = b.bytes.data();
    put_text(p + kLiveFirmware, options.firmware, kLiveFirmwareLength);
    p[kLiveBoard] = kBoard;
    p[kLiveModel] = kModel;
    // A few spheres have already gone through, the last one an hour ago.
    put_u32(p + kLiveSphereCount, 3);
    put_date_mydhsm(p + kLiveSphereDate, civil_from_seconds(clock_seconds - 3600));
    blocks[1] = std::move(b);
  }

  // The parameter set holds the factory values of the settings pages.
  void build_parameters() {
    Block b{kParamsAddress, kParamsCount, std::vector<std::uint8_t>(kParamsCount * 2, 0)};
    std::uint8_t* p = b.bytes.data();
    p[0] = 0;                         // language: French (bits 0-3)
    p[1] = static_cast<std::uint8_t>(options.jbus);
    put_u24(p + 2, 279);              // external diameter 27.9 mm
    p[5] = 7;                         // material: copper
    put_u16(p + 6, 9);                // thickness 0.9 mm
    put_u16(p + 8, 1470);             // C0, m/s
    put_u16(p + 10, 300);             // delta C, m/s
    p[12] = 10;                       // dead time 1.0 us
    p[13] = 2;                        // probe frequency: 500 kHz
    put_u16(p + 14, 10);              // filter, cycles
    put_u16(p + 16, 10);              // memory, cycles
    p[18] = 0;                        // relay 1 type
    p[19] = 0;                        // relay 2 type
    put_u24(p + 20, 14720);           // relay 1 threshold 1472.0 m/s
    put_u24(p + 23, 14720);           // relay 2 threshold
    p[26] = 1;                        // gain type: automatic
    p[27] = 12;                       // margin, dB
    p[28] = 80;                       // max gain, dB
    p[29] = 10;                       // AGC period, cycles
    p[30] = 0;                        // stop measurement on falling edge
    p[31] = 1;                        // ultrasound impulse
    put_u16(p + 32, 5000);            // TX period, us
    p[34] = 0;                        // polarity
    put_u16(p + 35, 2000);            // sphere max velocity 2.000 m/s
    put_u16(p + 37, 500);             // sphere min velocity 0.500 m/s
    put_u16(p + 39, 8500);            // C at 4 mA, 850.0 m/s
    put_u16(p + 41, 15600);           // C at 20 mA, 1560.0 m/s
    p[43] = 0;                        // TX/RX mode
    p[44] = 0;                        // relay 1 direction
    p[45] = 0;                        // relay 2 direction
    put_text(p + 46, "", 16);         // unit name, line 1
    put_text(p + 62, "", 16);         // unit name, line 2
    p[78] = 1;                        // back light: timed
    put_u16(p + 79, 2730);            // material sound speed, m/s
    p[81] = 0;                        // first screen
    // 82-83 unused.
    put_u16(p + 84, 0);               // gain at 4 mA
    put_u16(p + 86, 80);              // gain at 20 mA
    p[88] = 0;                        // function: measure
    put_u16(p + 89, 2000);            // sphere max flow, m3/h
    put_u16(p + 91, 500);             // sphere min flow, m3/h
    put_u24(p + 93, 20);              // sphere max length 2.0 mm
    put_u24(p + 96, 5);               // sphere min length 0.5 mm
    p[99] = 0;                        // sphere limits by velocity
    blocks[2] = std::move(b);
  }

  void build_outputs() {
    Block b{kOutputsAddress, kOutputsCount, std::vector<std::uint8_t>(kOutputsCount * 2, 0)};
    put_u16(b.bytes.data() + 6, 1160);
    put_u16(b.bytes.data() + 8, 60500);
    put_u16(b.bytes.data() + 10, 1160);
    put_u16(b.bytes.data() + 12, 60500);
    blocks[5] = std::move(b);
  }

  void build_special() {
    Block b{kSpecialAddress, kSpecialCount, std::vector<std::uint8_t>(kSpecialCount * 2, 0)};
    std::uint8_t* p = b.bytes.data();
    p[0] = kSerialWeek;
    p[1] = kSerialYear;
    put_u16(p + 2, kSerialNumber);
    p[4] = 1;  // max chords
    p[6] = kModel;
    p[7] = kBoard;
    p[8] = kSerialWeek;
    p[9] = kSerialYear;
    put_u16(p + 10, kSerialNumber);
    blocks[6] = std::move(b);
  }

  void build_esc() {
    Block b{kEscAddress, kEscCount, std::vector<std::uint8_t>(kEscCount * 2, 0)};
    std::uint8_t* p = b.bytes.data();
    auto entry = [p](int table_offset, int k, int number, int min_gain, float us) {
      std::uint8_t* e = p + table_offset + 6 * k;
      e[0] = static_cast<std::uint8_t>(number);
      e[1] = static_cast<std::uint8_t>(min_gain);
      put_float(e + 2, us);
    };
    // Reverse polarity: three entries, the end mark, then a stale entry left
    // over in memory that a reader must not show.
    entry(0, 0, 1, 42, 18.375f);
    entry(0, 1, 2, 45, 19.25f);
    entry(0, 2, 3, 47, 20.5f);
    entry(0, 3, 0, 0, 0.0f);
    entry(0, 4, 7, 60, 31.0f);
    // Normal polarity: four entries.
    entry(60, 0, 1, 38, 17.125f);
    entry(60, 1, 2, 40, 17.5f);
    entry(60, 2, 3, 41, 18.0f);
    entry(60, 3, 4, 44, 18.625f);
    p[120] = 1;   // polarity in use: normal
    p[122] = 12;  // margin, dB
    blocks[7] = std::move(b);
  }

  // Oldest entry first, a few hours apart, ending before the clock's start.
  void build_logger() {
    RandomSource r(options.seed ^ 0x5DEECE66DULL);
    const int n = options.logger_entries;
    logger.assign(static_cast<std::size_t>(n), {});
    std::int64_t t = clock_seconds - static_cast<std::int64_t>(n) * 6 * 3600;
    for (int i = 0; i < n; ++i) {
      t += 3 * 3600 + r.below(3 * 3600);
      auto& e = logger[static_cast<std::size_t>(i)];
      e.fill(0);
      put_date_logger(e.data(), civil_from_seconds(t), kLoggerKind);
      put_float(e.data() + 6, static_cast<float>(40 + r.below(2960)));
    }
  }

  void refresh_clock_bytes() {
    const CivilTime now = civil_from_seconds(clock_seconds);
    put_date_mydhsm(blocks[1].bytes.data() + kLiveClock, now);
    put_date_mydhsm(blocks[3].bytes.data(), now);
  }

  void run_cycle() {
    std::uint8_t* p = blocks[1].bytes.data();
    // Each value wanders a little and is pulled back to its mean, so that a
    // long run neither sticks to a limit nor looks frozen on a chart.
    speed_drift = std::clamp(0.98 * speed_drift + noise.uniform(-0.4, 0.4), -8.0, 8.0);
    const double speed = 1480.0 + speed_drift + noise.uniform(-0.3, 0.3);
    put_float(p + kLiveSpeed, static_cast<float>(speed));
    // A transit over 0.1 m of liquid.
    put_float(p + kLiveTransit, static_cast<float>(1.0e5 / speed));
    gain = std::clamp(gain + 0.05 * (40.0 - gain) + noise.uniform(-1.0, 1.0), 30.0, 50.0);
    p[kLiveGain] = static_cast<std::uint8_t>(gain + 0.5);

    if (fault_cycles_left > 0) {
      --fault_cycles_left;
    } else if (noise.chance(0.01)) {
      fault_cycles_left = 2 + static_cast<int>(noise.below(5));
    }
    const bool fault = fault_cycles_left > 0;
    p[kLiveStatus] = fault ? kStatusFault : kStatusSignal;
    p[kLiveQuality] = static_cast<std::uint8_t>(fault ? 10 + noise.below(30) : 85 + noise.below(16));

    if (noise.chance(1.0 / 120.0)) {
      put_u32(p + kLiveSphereCount, get_u32(p + kLiveSphereCount) + 1);
      put_date_mydhsm(p + kLiveSphereDate, civil_from_seconds(clock_seconds));
    }
  }

  void step(std::int64_t ms) {
    if (ms <= 0) return;
    const std::int64_t total = clock_ms + ms;
    clock_seconds += total / 1000;
    clock_ms = static_cast<int>(total % 1000);
    const std::int64_t cycles_total = cycle_ms + ms;
    const std::int64_t cycles = cycles_total / kCycleMs;
    cycle_ms = static_cast<int>(cycles_total % kCycleMs);
    for (std::int64_t i = 0; i < std::min<std::int64_t>(cycles, kMaxCyclesPerCatchUp); ++i) {
      run_cycle();
    }
    refresh_clock_bytes();
  }

  void catch_up() {
    if (options.manual_clock) return;
    const auto now = std::chrono::steady_clock::now();
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - last_wall);
    if (elapsed.count() <= 0) return;
    last_wall += elapsed;
    step(elapsed.count());
  }

  void set_clock(const CivilTime& t) {
    clock_seconds = seconds_from_civil(t);
    clock_ms = 0;
    refresh_clock_bytes();
  }

  // Applies bytes written at byte position offset of block b; 0, or the
  // exception code when the instrument refuses the values (nothing changes).
  std::uint8_t write(Block& b, int offset, const std::uint8_t* data, int length) {
    std::vector<std::uint8_t> next = b.bytes;
    std::copy(data, data + length, next.begin() + offset);
    const bool touches_live_clock =
        b.address == kLiveAddress && offset < kLiveClock + 6 && offset + length > kLiveClock;
    if (b.address == kClockAddress || touches_live_clock) {
      const std::uint8_t* date =
          next.data() + (b.address == kClockAddress ? 0 : kLiveClock);
      const auto t = get_date_mydhsm(date);
      if (!t) return kIllegalValue;
      b.bytes = std::move(next);
      set_clock(*t);
      return 0;
    }
    b.bytes = std::move(next);
    if (b.address == kResetAddress) {
      const std::uint32_t word = get_u32(b.bytes.data());
      if (word & 0x10000u) logger.clear();
      if (word & 0x1u) put_u32(blocks[1].bytes.data() + kLiveSphereCount, 0);
    }
    return 0;
  }

  std::vector<std::uint8_t> answer(const std::vector<std::uint8_t>& request) {
    const std::size_t n = request.size();
    if (n < 4 || !crc_matches(request.data(), n)) {
      ++counters.ignored;
      return {};
    }
    ++counters.requests;
    const int slave = request[0];
    if (slave != 0 && slave != options.jbus) {
      ++counters.ignored;
      return {};
    }
    const int own = options.jbus;
    const std::uint8_t function = request[1];
    auto refuse = [&](std::uint8_t code) {
      ++counters.exceptions;
      return exception_frame(own, function, code);
    };
    if (function != kReadHolding && function != kReadInput && function != kWriteMultiple) {
      return refuse(kIllegalFunction);
    }
    if (n < 8) return refuse(kIllegalValue);
    const int address = (request[2] << 8) | request[3];
    const int count = (request[4] << 8) | request[5];

    if (function == kReadHolding) {
      if (n != 8 || count == 0 || count > kMaxReadCount) return refuse(kIllegalValue);
      Block* b = find(address, count);
      if (!b) return refuse(kIllegalAddress);
      catch_up();
      std::vector<std::uint8_t> out;
      out.reserve(static_cast<std::size_t>(5 + 2 * count));
      out.push_back(static_cast<std::uint8_t>(own));
      out.push_back(function);
      out.push_back(static_cast<std::uint8_t>(2 * count));
      const auto first = b->bytes.begin() + 2 * (address - b->address);
      out.insert(out.end(), first, first + 2 * count);
      append_crc(out);
      ++counters.answered;
      return out;
    }

    if (function == kReadInput) {
      if (n != 8 || count == 0 || count > kMaxLoggerCount) return refuse(kIllegalValue);
      if (address + count > kLoggerCapacity) return refuse(kIllegalAddress);
      std::vector<std::uint8_t> out;
      out.reserve(static_cast<std::size_t>(5 + kLoggerEntryBytes * count));
      out.push_back(static_cast<std::uint8_t>(own));
      out.push_back(function);
      out.push_back(static_cast<std::uint8_t>(kLoggerEntryBytes * count));
      for (int i = address; i < address + count; ++i) {
        if (i < static_cast<int>(logger.size())) {
          const auto& e = logger[static_cast<std::size_t>(i)];
          out.insert(out.end(), e.begin(), e.end());
        } else {
          out.insert(out.end(), kLoggerEntryBytes, 0);  // past the end: obturation 0
        }
      }
      append_crc(out);
      ++counters.answered;
      return out;
    }

    // Write registers.
    if (n < 9) return refuse(kIllegalValue);
    const int byte_count = request[6];
    if (count == 0 || count > kMaxWriteCount || byte_count != 2 * count ||
        n != static_cast<std::size_t>(9 + byte_count)) {
      return refuse(kIllegalValue);
    }
    Block* b = find(address, count);
    if (!b) return refuse(kIllegalAddress);
    catch_up();
    if (const std::uint8_t code = write(*b, 2 * (address - b->address), request.data() + 7,
                                        byte_count)) {
      return refuse(code);
    }
    ++counters.writes;
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(own), function, request[2], request[3],
                                  request[4], request[5]};
    append_crc(out);
    ++counters.answered;
    return out;
  }
};

SimulatedInstrument::SimulatedInstrument(InstrumentOptions options)
    : impl_(std::make_shared<Impl>(std::move(options))) {}

std::vector<std::uint8_t> SimulatedInstrument::answer(const std::vector<std::uint8_t>& request) {
  std::lock_guard lock(impl_->mutex);
  return impl_->answer(request);
}

std::vector<std::uint8_t> SimulatedInstrument::registers(int address, int count) const {
  std::lock_guard lock(impl_->mutex);
  if (count <= 0) return {};
  Block* b = impl_->find(address, count);
  if (!b) return {};
  impl_->catch_up();
  const auto first = b->bytes.begin() + 2 * (address - b->address);
  return std::vector<std::uint8_t>(first, first + 2 * count);
}

void SimulatedInstrument::set_registers(int address, const std::vector<std::uint8_t>& bytes) {
  std::lock_guard lock(impl_->mutex);
  if (bytes.empty()) return;
  const int count = static_cast<int>((bytes.size() + 1) / 2);
  Block* b = impl_->find(address, count);
  if (!b) return;
  impl_->catch_up();
  impl_->write(*b, 2 * (address - b->address), bytes.data(), static_cast<int>(bytes.size()));
}

std::vector<std::uint8_t> SimulatedInstrument::logger_entry(int index) const {
  std::lock_guard lock(impl_->mutex);
  if (index < 0 || index >= static_cast<int>(impl_->logger.size())) {
    return std::vector<std::uint8_t>(kLoggerEntryBytes, 0);
  }
  const auto& e = impl_->logger[static_cast<std::size_t>(index)];
  return std::vector<std::uint8_t>(e.begin(), e.end());
}

void SimulatedInstrument::advance(std::chrono::milliseconds step) {
  std::lock_guard lock(impl_->mutex);
  impl_->catch_up();
  impl_->step(step.count());
}

int SimulatedInstrument::jbus() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->options.jbus;
}

InstrumentCounters SimulatedInstrument::counters() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->counters;
}

CivilTime SimulatedInstrument::clock() const {
  std::lock_guard lock(impl_->mutex);
  impl_->catch_up();
  return civil_from_seconds(impl_->clock_seconds);
}

int SimulatedInstrument::logger_size() const {
  std::lock_guard lock(impl_->mutex);
  return static_cast<int>(impl_->logger.size());
}

}  // namespace orvadw::sim
