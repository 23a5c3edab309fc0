// Record files are untrusted input: cut, garbled or forged files must give
// a clear failure or the records that are really there, never a crash, a
// wrong record or an allocation larger than the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <random>
#include <set>

#include "files/record_file.h"
#include "record_file_test_support.h"

// This file replaces the global allocation functions with malloc/free; GCC
// sees the inlined pair and mistakes it for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
// The largest single allocation made while tracking is on (this thread).
thread_local bool g_tracking = false;
thread_local std::size_t g_largest = 0;
}  // namespace

// Every form that a delete here may free is replaced: a sanitizer's own
// nothrow or array new would otherwise be handed to free().
void* operator new(std::size_t size) {
  if (g_tracking && size > g_largest) g_largest = size;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace orvadw {
namespace {

using test::Bytes;
using test::FileBytes;
using test::pattern_record;
using test::read_file_bytes;
using test::TempDir;
using test::write_file_bytes;

constexpr const char* kLine = "05/03/2024 - 07:08:09\n";

class AllocationWatch {
 public:
  AllocationWatch() {
    g_largest = 0;
    g_tracking = true;
  }
  ~AllocationWatch() { g_tracking = false; }
  std::size_t largest() const { return g_largest; }
};

// What a reader made of a file.
struct Reading {
  int header_rc = -1;
  int count = -1;
  bool damaged = false;
  std::vector<int> read_rc;    // per index 0..count-1, in the order read
  std::vector<Bytes> records;  // index -> bytes of the last successful read
  std::vector<bool> failed;    // index -> some read of it failed
  std::size_t largest_allocation = 0;
  std::size_t largest_output = 0;
};

// Opens path read-only and reads every record forward, backward and in a
// shuffled order, with allocations watched.
Reading read_everything(const std::string& path, unsigned seed = 7) {
  Reading r;
  RecordFile f;
  if (f.open(path, false) != 0) return r;
  std::string text;
  DateTime time;
  std::size_t largest = 0;
  {
    AllocationWatch watch;
    r.header_rc = f.read_header(text, time);
    largest = watch.largest();
  }
  r.largest_allocation = largest;
  if (r.header_rc != 0) return r;
  r.count = f.record_count();
  r.damaged = f.tail_damaged();
  r.records.assign(static_cast<std::size_t>(r.count), Bytes{});
  r.failed.assign(static_cast<std::size_t>(r.count), false);
  std::vector<int> order;
  for (int k = 0; k < r.count; ++k) order.push_back(k);
  for (int k = r.count - 1; k >= 0; --k) order.push_back(k);
  std::vector<int> shuffled(order.begin(), order.begin() + r.count);
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(seed));
  order.insert(order.end(), shuffled.begin(), shuffled.end());
  // Beyond the end and before the start must fail too.
  order.push_back(r.count);
  order.push_back(-1);
  for (int k : order) {
    Bytes got;
    int rc = 0;
    {
      AllocationWatch watch;
      rc = f.read_record(k, got);
      largest = watch.largest();
    }
    r.largest_allocation = std::max(r.largest_allocation, largest);
    r.largest_output = std::max(r.largest_output, got.size());
    if (k < 0 || k >= r.count) {
      // No such record: 0 when refused, 99 when it wrongly gave bytes.
      r.read_rc.push_back(rc == 0 ? 99 : 0);
      continue;
    }
    r.read_rc.push_back(rc);
    if (rc == 0) {
      r.records[static_cast<std::size_t>(k)] = got;
    } else {
      r.failed[static_cast<std::size_t>(k)] = true;
    }
  }
  return r;
}

const std::vector<Bytes>& sample_records() {
  static const std::vector<Bytes> records{pattern_record(0, 3), {},
                                          pattern_record(2, 7), pattern_record(3, 1),
                                          pattern_record(4, 12), {},
                                          pattern_record(6, 5)};
  return records;
}

TEST(RecordFileHostile, EveryCutOfAValidFileGivesTheCompleteRecordsBeforeTheCut) {
  TempDir dir;
  FileBytes b;
  b.header(kLine, "cut test\n");
  const std::size_t first_end = b.size();
  std::vector<std::size_t> record_end;  // file size once record k is complete
  const auto& records = sample_records();
  for (std::size_t k = 0; k < records.size(); ++k) {
    b.record(records[k], static_cast<std::int32_t>(k + 1));
    record_end.push_back(b.size());
  }
  const Bytes full = b.bytes();
  const std::string path = dir.file("cut.mes");

  for (std::size_t cut = 0; cut <= full.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    const Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
    write_file_bytes(path, part);
    const Reading r = read_everything(path);
    EXPECT_LE(r.largest_allocation, cut);
    EXPECT_LE(r.largest_output, cut);
    EXPECT_EQ(read_file_bytes(path), part);  // reading never writes
    if (cut < first_end) {
      EXPECT_EQ(r.header_rc, -1);
      continue;
    }
    ASSERT_EQ(r.header_rc, 0);
    const auto complete =
        static_cast<int>(std::count_if(record_end.begin(), record_end.end(),
                                       [cut](std::size_t end) { return end <= cut; }));
    ASSERT_EQ(r.count, complete);
    const bool on_boundary =
        cut == first_end || std::find(record_end.begin(), record_end.end(), cut) != record_end.end();
    EXPECT_EQ(r.damaged, !on_boundary);
    for (int rc : r.read_rc) EXPECT_EQ(rc, 0);
    for (int k = 0; k < complete; ++k) EXPECT_EQ(r.records[static_cast<std::size_t>(k)], records[static_cast<std::size_t>(k)]);

    // Appending must not bury a cut record inside a new one.
    RecordFile w;
    ASSERT_EQ(w.open(path, true), 0);
    std::string text;
    DateTime time;
    ASSERT_EQ(w.read_header(text, time), 0);
    const int rc = w.append(Bytes{0xEE});
    w.close();
    if (on_boundary) {
      EXPECT_EQ(rc, 0);
      EXPECT_EQ(read_file_bytes(path), FileBytes().raw(part).record({0xEE}, complete + 1).bytes());
    } else {
      EXPECT_EQ(rc, -1);
      EXPECT_EQ(read_file_bytes(path), part);
    }
  }
}

TEST(RecordFileHostile, LyingTrailingCountNeverReadsPastTheRecords) {
  TempDir dir;
  const std::string path = dir.file("lie.eta");
  FileBytes b;
  b.header(kLine, "t\n").record({1, 1}, 1).record({2, 2, 2}, 2).record({3}, 3);
  const Bytes good = b.bytes();
  for (std::int32_t lie : {0, -1, 1, 2, 4, 5, 1000, INT32_MAX, INT32_MIN}) {
    SCOPED_TRACE(lie);
    Bytes bytes = good;
    FileBytes tail;
    tail.i32(lie);
    std::copy(tail.bytes().begin(), tail.bytes().end(), bytes.end() - 4);
    write_file_bytes(path, bytes);
    const Reading r = read_everything(path);
    ASSERT_EQ(r.header_rc, 0);
    // The last record is not closed by marker 3, so only two are sure.
    EXPECT_EQ(r.count, 2);
    EXPECT_TRUE(r.damaged);
    for (int rc : r.read_rc) EXPECT_EQ(rc, 0);
    EXPECT_EQ(r.records[0], (Bytes{1, 1}));
    EXPECT_EQ(r.records[1], (Bytes{2, 2, 2}));
    EXPECT_LE(r.largest_allocation, bytes.size());
  }
}

TEST(RecordFileHostile, BrokenFramingInsideTheFileFailsOnlyTheRecordsItTouches) {
  TempDir dir;
  const std::string path = dir.file("frame.eta");
  const auto& records = sample_records();
  FileBytes b;
  b.header(kLine, "t\n");
  std::vector<std::size_t> marker_at;
  for (std::size_t k = 0; k < records.size(); ++k) {
    marker_at.push_back(b.size() - 4);
    b.record(records[k], static_cast<std::int32_t>(k + 1));
  }
  const Bytes good = b.bytes();
  const std::size_t m2 = marker_at[2];
  const std::int32_t n2 = static_cast<std::int32_t>(records[2].size());

  struct Damage {
    const char* name;
    std::size_t offset;
    std::int32_t value;
    std::set<int> readable;
  };
  const std::set<int> all_but_2{0, 1, 3, 4, 5, 6};
  const Damage damages[] = {
      {"huge leading length", m2 + 4, INT32_MAX, all_but_2},
      {"negative leading length", m2 + 4, -1, all_but_2},
      {"leading length one more", m2 + 4, n2 + 1, all_but_2},
      {"leading length one less", m2 + 4, n2 - 1, all_but_2},
      {"length beyond the file", m2 + 4, 0x7FFFFFF0, all_but_2},
      {"trailing length differs", m2 + 8 + static_cast<std::size_t>(n2), n2 + 1, all_but_2},
      // Marker 2 closes record 1 as well.
      {"marker out of sequence", m2, 7, {0, 3, 4, 5, 6}},
      {"marker negative", m2, -2, {0, 3, 4, 5, 6}},
  };
  for (const auto& d : damages) {
    SCOPED_TRACE(d.name);
    Bytes bytes = good;
    FileBytes v;
    v.i32(d.value);
    std::copy(v.bytes().begin(), v.bytes().end(), bytes.begin() + static_cast<std::ptrdiff_t>(d.offset));
    write_file_bytes(path, bytes);
    for (unsigned seed : {1U, 2U, 3U}) {
      const Reading r = read_everything(path, seed);
      ASSERT_EQ(r.header_rc, 0);
      ASSERT_EQ(r.count, static_cast<int>(records.size()));
      EXPECT_FALSE(r.damaged);
      EXPECT_LE(r.largest_allocation, bytes.size());
      for (int k = 0; k < r.count; ++k) {
        const auto idx = static_cast<std::size_t>(k);
        if (d.readable.count(k) != 0) {
          EXPECT_FALSE(r.failed[idx]) << "record " << k;
          EXPECT_EQ(r.records[idx], records[idx]) << "record " << k;
        } else {
          EXPECT_TRUE(r.failed[idx]) << "record " << k << " should have failed";
        }
      }
    }
    // Which reads fail depends only on the damage, not on the order: check
    // the failures reported in the first pass.
    const Reading r = read_everything(path);
    for (std::size_t i = 0; i < static_cast<std::size_t>(r.count); ++i) {
      const int k = static_cast<int>(i);
      EXPECT_EQ(r.read_rc[i] == 0, d.readable.count(k) != 0) << "record " << k;
    }
  }
}

TEST(RecordFileHostile, HeaderLengthsThatDoNotFitAreRefused) {
  TempDir dir;
  const std::string path = dir.file("len.eta");
  const Bytes good = FileBytes().header(kLine, "t\n").record({1}, 1).bytes();
  for (std::int32_t length : {INT32_MAX, INT32_MIN, -1, 0, 4, 28, 2000, 2001, 64, 33}) {
    SCOPED_TRACE(length);
    Bytes bytes = good;
    FileBytes v;
    v.i32(length);
    std::copy(v.bytes().begin(), v.bytes().end(), bytes.begin());
    write_file_bytes(path, bytes);
    const Reading r = read_everything(path);
    EXPECT_EQ(r.header_rc, -1);
    EXPECT_LE(r.largest_allocation, bytes.size());
  }
}

TEST(RecordFileHostile, RandomBytesAndRandomDamageNeverCrashOrOverAllocate) {
  TempDir dir;
  const std::string path = dir.file("random.bin");
  std::mt19937 rng(20240305);
  std::uniform_int_distribution<int> byte(0, 255);
  const Bytes valid = [] {
    FileBytes b;
    b.header(kLine, "random\n");
    const auto& records = sample_records();
    for (std::size_t k = 0; k < records.size(); ++k) b.record(records[k], static_cast<std::int32_t>(k + 1));
    return b.bytes();
  }();
  int accepted = 0;
  for (int round = 0; round < 1500; ++round) {
    Bytes bytes;
    switch (round % 3) {
      case 0: {  // pure noise
        bytes.resize(static_cast<std::size_t>(std::uniform_int_distribution<int>(0, 160)(rng)));
        for (auto& x : bytes) x = static_cast<std::uint8_t>(byte(rng));
        break;
      }
      case 1: {  // a valid header followed by noise
        bytes = FileBytes().header(kLine, "t\n").bytes();
        const int extra = std::uniform_int_distribution<int>(0, 120)(rng);
        for (int i = 0; i < extra; ++i) bytes.push_back(static_cast<std::uint8_t>(byte(rng)));
        // Sometimes small plausible numbers, so that framing checks are reached.
        for (std::size_t i = 35; i + 4 <= bytes.size(); i += 4) {
          if (byte(rng) < 128) {
            bytes[i] = static_cast<std::uint8_t>(byte(rng) % 16);
            bytes[i + 1] = bytes[i + 2] = bytes[i + 3] = 0;
          }
        }
        break;
      }
      default: {  // a valid file with a few bytes changed
        bytes = valid;
        const int flips = std::uniform_int_distribution<int>(1, 4)(rng);
        for (int i = 0; i < flips; ++i) {
          const auto at = static_cast<std::size_t>(
              std::uniform_int_distribution<int>(0, static_cast<int>(bytes.size()) - 1)(rng));
          bytes[at] = static_cast<std::uint8_t>(byte(rng));
        }
        break;
      }
    }
    write_file_bytes(path, bytes);
    const Reading r = read_everything(path, static_cast<unsigned>(round));
    ASSERT_LE(r.largest_allocation, bytes.size()) << "round " << round;
    ASSERT_LE(r.largest_output, bytes.size()) << "round " << round;
    for (int rc : r.read_rc) ASSERT_NE(rc, 99) << "round " << round;
    if (r.header_rc == 0) ++accepted;
  }
  // The rounds must have reached the record reading, not only the header.
  EXPECT_GT(accepted, 400);
}

}  // namespace
}  // namespace orvadw
