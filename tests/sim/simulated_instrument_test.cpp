// The simulated instrument against bytes worked out by hand from the register
// map: if the simulator and the parameter model ever share a mistake, these
// tests are where it shows.
#include "sim/simulated_instrument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <thread>

#include "sim/crc16.h"
#include "support/test_frames.h"

namespace orvadw::sim {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::read_request;
using test::slice;
using test::write_request;

InstrumentOptions manual(int jbus = 1) {
  InstrumentOptions o;
  o.jbus = jbus;
  o.manual_clock = true;
  return o;
}

// Data bytes of a normal read answer, after checking its frame.
Bytes read_data(SimulatedInstrument& sim, int address, int count, int function = 3) {
  const Bytes answer = sim.answer(read_request(sim.jbus(), function, address, count));
  const int per_item = function == 4 ? 16 : 2;
  EXPECT_EQ(answer.size(), static_cast<std::size_t>(5 + per_item * count)) << test::hex(answer);
  if (answer.size() < 5) return {};
  EXPECT_EQ(answer[1], function);
  EXPECT_EQ(answer[2], per_item * count);
  EXPECT_TRUE(crc_matches(answer.data(), answer.size()));
  return slice(answer, 3, answer.size() - 5);
}

int exception_of(const Bytes& answer, int function) {
  if (answer.size() != 5) return -1;
  EXPECT_EQ(answer[1], function | 0x80);
  EXPECT_TRUE(crc_matches(answer.data(), answer.size()));
  return answer[2];
}

TEST(Crc16, KnownVectorsAndWireOrder) {
  EXPECT_EQ(read_request(1, 3, 0, 1), (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}));
  EXPECT_EQ(read_request(0x11, 3, 0x6B, 3),
            (Bytes{0x11, 0x03, 0x00, 0x6B, 0x00, 0x03, 0x76, 0x87}));

  // The table-driven CRC of the simulator agrees with the bit loop.
  const Bytes body{0x01, 0x03, 0x00, 0x00, 0x00, 0x01};
  EXPECT_EQ(crc16(body.data(), body.size()), 0x0A84);
  Bytes framed = body;
  append_crc(framed);
  EXPECT_EQ(framed, read_request(1, 3, 0, 1));
  EXPECT_TRUE(crc_matches(framed.data(), framed.size()));
  std::swap(framed[6], framed[7]);
  EXPECT_FALSE(crc_matches(framed.data(), framed.size()));
  EXPECT_FALSE(crc_matches(framed.data(), 2));
}

TEST(SimulatedInstrument, IdentificationHeaderLayout) {
  InstrumentOptions o = manual(17);
  o.firmware = "10-11-B7";
  SimulatedInstrument sim(o);
  const Bytes d = read_data(sim, 0xFF00, 25);
  ASSERT_EQ(d.size(), 50u);
  EXPECT_EQ(d[1], 17);  // JBus number
  EXPECT_GT(test::u16_at(d, 2), 0);  // code
  EXPECT_EQ(d[4], 7);   // serial week
  EXPECT_EQ(d[5], 3);   // serial year
  EXPECT_EQ(test::u32_at(d, 6), 1u);
  EXPECT_EQ(test::text_at(d, 10, 20), "10-11-B7            ");
  const std::string software = test::text_at(d, 30, 20);
  EXPECT_NE(software.find_first_not_of(' '), std::string::npos);
  // The firmware text of the live values carries the same version.
  const Bytes live = read_data(sim, 0x100, 24);
  EXPECT_EQ(test::text_at(live, 32, 12), "10-11-B7    ");
  EXPECT_EQ(sim.registers(0xFF00, 26), Bytes{});  // the header ends at 25 registers
}

TEST(SimulatedInstrument, ParameterSetHoldsFactoryValues) {
  SimulatedInstrument sim(manual(9));
  const Bytes d = read_data(sim, 0x1000, 50);
  ASSERT_EQ(d.size(), 100u);
  EXPECT_EQ(d[0], 0x00);                                   // language 0 in bits 0-3
  EXPECT_EQ(d[1], 9);                                      // JBus number
  EXPECT_EQ(slice(d, 2, 3), (Bytes{0x00, 0x01, 0x17}));    // 27.9 mm, "%0.1f", 24-bit
  EXPECT_EQ(d[5], 7);                                      // material index
  EXPECT_EQ(slice(d, 6, 2), (Bytes{0x00, 0x09}));          // 0.9 mm
  EXPECT_EQ(slice(d, 8, 2), (Bytes{0x05, 0xBE}));          // C0 1470
  EXPECT_EQ(slice(d, 10, 2), (Bytes{0x01, 0x2C}));         // delta C 300
  EXPECT_EQ(d[12], 10);                                    // dead time 1.0 us
  EXPECT_EQ(d[13], 2);                                     // probe frequency index
  EXPECT_EQ(slice(d, 14, 4), (Bytes{0x00, 0x0A, 0x00, 0x0A}));  // filter, memory
  EXPECT_EQ(slice(d, 20, 6), (Bytes{0x00, 0x39, 0x80, 0x00, 0x39, 0x80}));  // 1472.0 twice
  EXPECT_EQ(slice(d, 26, 6), (Bytes{1, 12, 80, 10, 0, 1}));  // gain type .. US impulse
  EXPECT_EQ(slice(d, 32, 2), (Bytes{0x13, 0x88}));         // TX period 5000
  EXPECT_EQ(slice(d, 35, 4), (Bytes{0x07, 0xD0, 0x01, 0xF4}));  // 2.000 and 0.500 m/s
  EXPECT_EQ(slice(d, 39, 4), (Bytes{0x21, 0x34, 0x3C, 0xF0}));  // 850.0 and 1560.0 m/s
  EXPECT_EQ(test::text_at(d, 46, 32), std::string(32, ' '));  // empty unit name lines
  EXPECT_EQ(d[78], 1);                                     // back light index
  EXPECT_EQ(slice(d, 79, 2), (Bytes{0x0A, 0xAA}));         // material C 2730
  EXPECT_EQ(slice(d, 82, 2), (Bytes{0x00, 0x00}));         // unused
  EXPECT_EQ(slice(d, 84, 4), (Bytes{0x00, 0x00, 0x00, 0x50}));  // gains 0 and 80 dB
  EXPECT_EQ(slice(d, 89, 4), (Bytes{0x07, 0xD0, 0x01, 0xF4}));  // flows 2000 and 500
  EXPECT_EQ(slice(d, 93, 6), (Bytes{0x00, 0x00, 0x14, 0x00, 0x00, 0x05}));  // 2.0 / 0.5 mm

  // A read of a few registers inside the block sees the same bytes.
  EXPECT_EQ(read_data(sim, 0x1013, 3), slice(d, 38, 6));
}

TEST(SimulatedInstrument, OtherBlocksHoldTheirDefaults) {
  SimulatedInstrument sim(manual());
  EXPECT_EQ(read_data(sim, 0x3000, 7),
            (Bytes{0, 0, 0, 0, 0, 0, 0x04, 0x88, 0xEC, 0x54, 0x04, 0x88, 0xEC, 0x54}));

  const Bytes special = read_data(sim, 0x4000, 9);
  EXPECT_EQ(slice(special, 0, 4), (Bytes{7, 3, 0x00, 0x01}));
  EXPECT_EQ(slice(special, 8, 4), (Bytes{7, 3, 0x00, 0x01}));
  EXPECT_EQ(special[4], 1);  // max chords
  EXPECT_EQ(special[7], 1);  // board revision index

  const Bytes esc = read_data(sim, 0xB00, 62);
  ASSERT_EQ(esc.size(), 124u);
  for (int table : {0, 60}) {
    int entries = 0;
    while (entries < 10 && esc[static_cast<std::size_t>(table + 6 * entries)] != 0) {
      const std::size_t e = static_cast<std::size_t>(table + 6 * entries);
      EXPECT_EQ(esc[e], entries + 1);
      const float us = test::float_at(esc, e + 2);
      EXPECT_GT(us, 1.0f);
      EXPECT_LT(us, 100.0f);
      ++entries;
    }
    EXPECT_GE(entries, 2);
    EXPECT_LT(entries, 10);
  }
  EXPECT_LE(esc[120], 1);  // polarity
  EXPECT_EQ(esc[122], 12);  // margin
}

TEST(SimulatedInstrument, AddressingAndSilence) {
  SimulatedInstrument sim(manual(17));
  // Slave 0 reaches it, and it answers with its own number.
  const Bytes broadcast = sim.answer(read_request(0, 3, 0xFF00, 1));
  ASSERT_EQ(broadcast.size(), 7u);
  EXPECT_EQ(broadcast[0], 17);
  EXPECT_TRUE(crc_matches(broadcast.data(), broadcast.size()));
  // Another slave number, a bad CRC, a scrap of a frame: silence.
  EXPECT_TRUE(sim.answer(read_request(16, 3, 0xFF00, 1)).empty());
  Bytes bad = read_request(17, 3, 0xFF00, 1);
  bad[7] ^= 0x40;
  EXPECT_TRUE(sim.answer(bad).empty());
  EXPECT_TRUE(sim.answer(Bytes{17, 3}).empty());
  EXPECT_EQ(sim.answer(read_request(17, 3, 0xFF00, 1)).size(), 7u);

  const InstrumentCounters c = sim.counters();
  EXPECT_EQ(c.requests, 3u);
  EXPECT_EQ(c.answered, 2u);
  EXPECT_EQ(c.ignored, 3u);
  EXPECT_EQ(c.exceptions, 0u);
}

TEST(SimulatedInstrument, ExceptionAnswers) {
  SimulatedInstrument sim(manual(3));
  // The exact bytes of one exception answer.
  EXPECT_EQ(sim.answer(read_request(3, 3, 0x0500, 1)), test::with_crc({3, 0x83, 2}));

  // Unknown addresses, and ranges that run out of a block.
  EXPECT_EQ(exception_of(sim.answer(read_request(3, 3, 0x1000, 51)), 3), 2);
  EXPECT_EQ(exception_of(sim.answer(read_request(3, 3, 0x0FFF, 2)), 3), 2);
  EXPECT_EQ(exception_of(sim.answer(read_request(3, 3, 0x2304, 1)), 3), 2);
  EXPECT_EQ(exception_of(sim.answer(read_request(3, 3, 0x0B3E, 1)), 3), 2);
  EXPECT_EQ(exception_of(sim.answer(write_request(3, 0x1031, {0, 0, 0, 0})), 16), 2);
  // The last register of each block is still inside it.
  EXPECT_EQ(read_data(sim, 0x1031, 1).size(), 2u);
  EXPECT_EQ(read_data(sim, 0x0B3D, 1).size(), 2u);
  EXPECT_EQ(read_data(sim, 0x4008, 1).size(), 2u);
  EXPECT_EQ(read_data(sim, 0x230B, 1).size(), 2u);

  // Bad counts.
  EXPECT_EQ(exception_of(sim.answer(read_request(3, 3, 0x1000, 0)), 3), 3);
  EXPECT_EQ(exception_of(sim.answer(read_request(3, 3, 0x1000, 126)), 3), 3);
  EXPECT_EQ(exception_of(sim.answer(read_request(3, 4, 0, 0)), 4), 3);
  EXPECT_EQ(exception_of(sim.answer(read_request(3, 4, 0, 16)), 4), 3);
  EXPECT_EQ(exception_of(sim.answer(write_request(3, 0x1000, Bytes(248, 0))), 16), 3);
  Bytes wrong_byte_count = write_request(3, 0x1000, {0, 1, 0, 2});
  wrong_byte_count[6] = 2;  // says one register's worth, carries two
  wrong_byte_count.resize(wrong_byte_count.size() - 2);
  wrong_byte_count = test::with_crc(wrong_byte_count);
  EXPECT_EQ(exception_of(sim.answer(wrong_byte_count), 16), 3);

  // Unsupported functions, short or long.
  EXPECT_EQ(exception_of(sim.answer(read_request(3, 6, 0x1000, 1)), 6), 1);
  EXPECT_EQ(exception_of(sim.answer(test::with_crc({3, 0x2B, 0x0E})), 0x2B), 1);
  // The largest legal write still goes through.
  EXPECT_EQ(sim.answer(write_request(3, 0x1000, Bytes(100, 0))).size(), 8u);

  // Nothing refused changed the image.
  EXPECT_EQ(sim.counters().writes, 1u);
}

TEST(SimulatedInstrument, WriteThenReadBack) {
  SimulatedInstrument sim(manual());
  const Bytes echo = sim.answer(write_request(1, 0x1010, {0x1F, 0x40, 0x00}));  // TX period 8000
  EXPECT_EQ(echo, test::with_crc({1, 16, 0x10, 0x10, 0x00, 0x02}));
  const Bytes d = read_data(sim, 0x1000, 50);
  EXPECT_EQ(slice(d, 32, 3), (Bytes{0x1F, 0x40, 0x00}));
  // The pad byte of an odd write fills its last register; the next one is untouched.
  EXPECT_EQ(slice(d, 35, 3), (Bytes{0x00, 0xD0, 0x01}));
  EXPECT_EQ(sim.registers(0x1010, 1), (Bytes{0x1F, 0x40}));

  // Changing the JBus number in the parameter set does not move the
  // instrument while it runs.
  sim.answer(write_request(1, 0x1000, {0x00, 0x05}));
  EXPECT_EQ(read_data(sim, 0x1000, 1), (Bytes{0x00, 0x05}));
  EXPECT_EQ(sim.jbus(), 1);

  // set_registers is what a function 16 write does, without the frame.
  sim.set_registers(0x3003, {0x00, 0x0A});
  EXPECT_EQ(read_data(sim, 0x3003, 1), (Bytes{0x00, 0x0A}));
  sim.set_registers(0x7000, {1, 2});  // nowhere: ignored
  EXPECT_TRUE(sim.registers(0x7000, 1).empty());
  EXPECT_TRUE(sim.registers(0x1000, 0).empty());
}

TEST(SimulatedInstrument, ClockIsSetByWriteAndRuns) {
  SimulatedInstrument sim(manual());
  // 31 December 2005, 23:59:58 in the order month, year, hour, day, second, minute.
  const Bytes date{12, 5, 23, 31, 58, 59};
  EXPECT_EQ(sim.answer(write_request(1, 0x2301, date)).size(), 8u);
  EXPECT_EQ(read_data(sim, 0x2301, 3), date);
  EXPECT_EQ(slice(read_data(sim, 0x100, 24), 10, 6), date);
  const CivilTime t = sim.clock();
  EXPECT_EQ(t.year, 2005);
  EXPECT_EQ(t.month, 12);
  EXPECT_EQ(t.day, 31);
  EXPECT_EQ(t.hour, 23);
  EXPECT_EQ(t.minute, 59);
  EXPECT_EQ(t.second, 58);

  sim.advance(2500ms);  // over the new year
  EXPECT_EQ(slice(read_data(sim, 0x100, 24), 10, 6), (Bytes{1, 6, 0, 1, 0, 0}));
  sim.advance(500ms);
  EXPECT_EQ(read_data(sim, 0x2301, 3), (Bytes{1, 6, 0, 1, 1, 0}));

  // A date that does not exist is refused and the clock keeps running.
  EXPECT_EQ(exception_of(sim.answer(write_request(1, 0x2301, {2, 7, 10, 30, 0, 0})), 16), 3);
  EXPECT_EQ(exception_of(sim.answer(write_request(1, 0x2301, {13, 7, 10, 1, 0, 0})), 16), 3);
  EXPECT_EQ(read_data(sim, 0x2301, 3), (Bytes{1, 6, 0, 1, 1, 0}));

  // Two-digit years above 38 are the 1900s.
  sim.answer(write_request(1, 0x2301, {2, 96, 8, 29, 0, 30}));
  EXPECT_EQ(sim.clock().year, 1996);
  EXPECT_EQ(sim.clock().day, 29);
}

TEST(SimulatedInstrument, ResetWordClearsLoggerAndSphereCount) {
  InstrumentOptions o = manual();
  o.logger_entries = 6;
  SimulatedInstrument sim(o);
  sim.set_registers(0x10E, {0x00, 0x00, 0x01, 0x02});  // sphere count 258
  ASSERT_EQ(test::u32_at(read_data(sim, 0x100, 24), 28), 258u);
  ASSERT_EQ(sim.logger_size(), 6);

  // Bit 0: the sphere count only.
  EXPECT_EQ(sim.answer(write_request(1, 0x230A, {0, 0, 0, 1})).size(), 8u);
  EXPECT_EQ(test::u32_at(read_data(sim, 0x100, 24), 28), 0u);
  EXPECT_EQ(sim.logger_size(), 6);
  EXPECT_NE(test::float_at(read_data(sim, 0, 1, 4), 6), 0.0f);

  // Bit 16: the logger only.
  sim.set_registers(0x10E, {0x00, 0x00, 0x00, 0x09});
  EXPECT_EQ(sim.answer(write_request(1, 0x230A, {0, 1, 0, 0})).size(), 8u);
  EXPECT_EQ(sim.logger_size(), 0);
  EXPECT_EQ(read_data(sim, 0, 1, 4), Bytes(16, 0));
  EXPECT_EQ(test::u32_at(read_data(sim, 0x100, 24), 28), 9u);

  // Both at once (65537).
  SimulatedInstrument both(o);
  both.answer(write_request(1, 0x230A, {0, 1, 0, 1}));
  EXPECT_EQ(both.logger_size(), 0);
  EXPECT_EQ(test::u32_at(read_data(both, 0x100, 24), 28), 0u);

  // Other bits do neither.
  SimulatedInstrument neither(o);
  neither.answer(write_request(1, 0x230A, {0x80, 0x02, 0x00, 0x02}));
  EXPECT_EQ(neither.logger_size(), 6);
  EXPECT_NE(test::u32_at(read_data(neither, 0x100, 24), 28), 0u);
}

TEST(SimulatedInstrument, LoggerEntriesAndEndMarker) {
  InstrumentOptions o = manual();
  o.logger_entries = 5;
  SimulatedInstrument sim(o);
  std::set<float> obturations;
  for (int i = 0; i < 5; ++i) {
    const Bytes e = read_data(sim, i, 1, 4);
    ASSERT_EQ(e.size(), 16u);
    EXPECT_EQ(e, sim.logger_entry(i));
    const int month = e[0] & 0x0F;
    EXPECT_GE(month, 1);
    EXPECT_LE(month, 12);
    EXPECT_LE(e[1], 99);                     // year
    EXPECT_GE(e[2], 1);                      // day
    EXPECT_LE(e[2], 31);
    EXPECT_LT(e[3], 24);                     // hour
    EXPECT_LT(e[4], 60);                     // minute
    EXPECT_LT(e[5], 60);                     // second
    const float us = test::float_at(e, 6);
    EXPECT_GT(us, 0.0f);
    EXPECT_EQ(us, std::floor(us));           // whole microseconds
    obturations.insert(us);
    EXPECT_EQ(slice(e, 10, 6), Bytes(6, 0));
  }
  EXPECT_GT(obturations.size(), 1u);
  // Past the end: all zero, so the obturation time 0 ends the log.
  EXPECT_EQ(read_data(sim, 5, 1, 4), Bytes(16, 0));
  EXPECT_EQ(read_data(sim, 999, 1, 4), Bytes(16, 0));
  // Several entries in one request, in order.
  const Bytes four = read_data(sim, 2, 4, 4);
  ASSERT_EQ(four.size(), 64u);
  EXPECT_EQ(slice(four, 0, 16), sim.logger_entry(2));
  EXPECT_EQ(slice(four, 32, 16), sim.logger_entry(4));
  EXPECT_EQ(slice(four, 48, 16), Bytes(16, 0));
  // Beyond the logger's capacity.
  EXPECT_EQ(exception_of(sim.answer(read_request(1, 4, 1000, 1)), 4), 2);
  EXPECT_EQ(exception_of(sim.answer(read_request(1, 4, 998, 3)), 4), 2);
  EXPECT_EQ(exception_of(sim.answer(read_request(1, 4, 0xFFFF, 1)), 4), 2);

  // The configured size is taken as given, within the capacity.
  o.logger_entries = 25;
  SimulatedInstrument big(o);
  EXPECT_EQ(big.logger_size(), 25);
  EXPECT_NE(test::float_at(read_data(big, 24, 1, 4), 6), 0.0f);
  EXPECT_EQ(read_data(big, 25, 1, 4), Bytes(16, 0));
  o.logger_entries = 0;
  EXPECT_EQ(read_data(*std::make_unique<SimulatedInstrument>(o), 0, 1, 4), Bytes(16, 0));
}

TEST(SimulatedInstrument, LiveValuesMoveLikeAMeter) {
  SimulatedInstrument sim(manual());
  Bytes previous = read_data(sim, 0x100, 24);
  ASSERT_EQ(previous.size(), 48u);
  const CivilTime start = sim.clock();
  std::set<float> speeds;
  int faults = 0;
  int spheres = 0;
  std::uint32_t count = test::u32_at(previous, 28);
  for (int i = 0; i < 2400; ++i) {
    sim.advance(500ms);
    const Bytes d = read_data(sim, 0x100, 24);
    const float speed = test::float_at(d, 0);
    EXPECT_GT(speed, 1465.0f);
    EXPECT_LT(speed, 1495.0f);
    speeds.insert(speed);
    EXPECT_NEAR(test::float_at(d, 6), 1.0e5f / speed, 0.01f);  // transit time, us
    EXPECT_EQ(d[5] & ~0x03, 0);
    if (d[5] & 0x01) ++faults;
    EXPECT_GE(d[18], 30);
    EXPECT_LE(d[18], 50);
    EXPECT_LE(d[20], 100);
    const std::uint32_t now_count = test::u32_at(d, 28);
    EXPECT_GE(now_count, count);
    if (now_count != count) {
      ++spheres;
      // A new sphere carries the clock's date.
      EXPECT_EQ(slice(d, 22, 6), slice(d, 10, 6));
    }
    count = now_count;
    EXPECT_LE(d[44], 4);
    EXPECT_LE(d[46], 9);
    previous = d;
  }
  EXPECT_GT(speeds.size(), 100u);
  EXPECT_GT(faults, 0);
  EXPECT_LT(faults, 600);
  EXPECT_GT(spheres, 0);
  // 2400 half seconds are 20 minutes on the instrument clock.
  const std::int64_t elapsed = seconds_from_civil(sim.clock()) - seconds_from_civil(start);
  EXPECT_EQ(elapsed, 1200);
}

TEST(SimulatedInstrument, SameSeedSameRun) {
  InstrumentOptions o = manual();
  o.seed = 42;
  SimulatedInstrument a(o);
  SimulatedInstrument b(o);
  o.seed = 43;
  SimulatedInstrument c(o);
  bool differs = false;
  for (int i = 0; i < 20; ++i) {
    a.advance(500ms);
    b.advance(500ms);
    c.advance(500ms);
    EXPECT_EQ(a.registers(0x100, 24), b.registers(0x100, 24));
    differs = differs || a.registers(0x100, 24) != c.registers(0x100, 24);
  }
  EXPECT_TRUE(differs);
}

TEST(SimulatedInstrument, WallClockRunsWithoutAdvance) {
  SimulatedInstrument sim;  // follows the PC clock
  const std::int64_t before = seconds_from_civil(sim.clock());
  const std::int64_t pc = seconds_from_civil(local_now());
  EXPECT_LE(std::llabs(before - pc), 2);
  // Waiting for the clock to move by itself, with a generous bound.
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (seconds_from_civil(sim.clock()) == before && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_GT(seconds_from_civil(sim.clock()), before);
}

TEST(SimulatedInstrument, ConcurrentRequestsAreAllCounted) {
  SimulatedInstrument sim;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&sim, t] {
      for (int i = 0; i < 1000; ++i) {
        if (t == 0 && i % 10 == 0) {
          sim.answer(write_request(1, 0x1010, {static_cast<std::uint8_t>(i), 0}));
        } else {
          const Bytes a = sim.answer(read_request(1, 3, 0x100, 24));
          ASSERT_EQ(a.size(), 53u);
          ASSERT_TRUE(crc_matches(a.data(), a.size()));
        }
      }
    });
  }
  for (auto& th : threads) th.join();
  const InstrumentCounters c = sim.counters();
  EXPECT_EQ(c.requests, 4000u);
  EXPECT_EQ(c.answered, 4000u);
  EXPECT_EQ(c.writes, 100u);
}

}  // namespace
}  // namespace orvadw::sim
