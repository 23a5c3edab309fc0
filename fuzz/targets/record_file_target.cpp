// Any bytes as a record file: reading never goes past the file or hands out
// more than it holds, a record read twice reads the same, and appending to a
// damaged file is either refused with a message and the file left exactly as
// it was, or adds exactly one well-framed record after the old bytes.
#include "base/cp1252.h"
#include "files/identification_header.h"
#include "files/record_file.h"
#include "files/record_file_session.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/fuzz_input.h"
#include "fuzz/support/scratch_file.h"

namespace orvadw::fuzz {

namespace {

using Record = std::vector<std::uint8_t>;

void put_int32(Record& out, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(u >> shift));
}

struct Reading {
  bool header_ok = false;
  int count = 0;
  std::vector<std::optional<Record>> records;
};

Reading read_all(const std::string& path, std::size_t file_size, std::size_t revisit) {
  Reading r;
  RecordFile file;
  if (file.open(path, false) != 0) return r;
  std::string text;
  DateTime time;
  r.header_ok = file.read_header(text, time) == 0;
  if (!r.header_ok) return r;
  r.count = file.record_count();
  FUZZ_CHECK(r.count >= 0, "negative record count");
  FUZZ_CHECK(static_cast<std::size_t>(r.count) * 12 <= file_size, "more records than bytes");
  FUZZ_CHECK(text.size() <= static_cast<std::size_t>(RecordFile::kMaxHeaderLength),
             "a header text longer than any header");
  FileHeader header;
  FUZZ_CHECK(parse_header_text(utf8_from_cp1252(text), header) <= kHeaderLineCount,
             "more header lines than a header has");

  r.records.resize(static_cast<std::size_t>(r.count));
  for (int i = 0; i < r.count; ++i) {
    Record bytes;
    if (file.read_record(i, bytes) == 0) {
      FUZZ_CHECK(bytes.size() + 16 <= file_size, "a record larger than the file");
      r.records[static_cast<std::size_t>(i)] = std::move(bytes);
    }
  }
  // Backwards, and one record again: the same bytes whatever the way there.
  for (int i = r.count - 1; i >= 0; --i) {
    Record bytes;
    const bool ok = file.read_record(i, bytes) == 0;
    const auto& first = r.records[static_cast<std::size_t>(i)];
    FUZZ_CHECK(ok == first.has_value(), "a record reads one way and not the other");
    if (ok && first) FUZZ_CHECK(bytes == *first, "a record reads differently backwards");
  }
  if (r.count > 0) {
    const int i = static_cast<int>(revisit % static_cast<std::size_t>(r.count));
    Record bytes;
    const bool ok = file.read_record(i, bytes) == 0;
    const auto& first = r.records[static_cast<std::size_t>(i)];
    FUZZ_CHECK(ok == first.has_value() && (!ok || bytes == *first), "a record read again differs");
  }
  Record none;
  FUZZ_CHECK(file.read_record(r.count, none) != 0 && file.read_record(-1, none) != 0,
             "a record outside the file was read");
  return r;
}

}  // namespace

int fuzz_record_file(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const std::size_t revisit = in.byte();
  const Record appended = in.counted_bytes();
  const Record original = in.rest();
  const std::string& path = scratch_path("data.eta");
  if (!write_whole_file(path, original.data(), original.size())) return 0;

  const Reading before = read_all(path, original.size(), revisit);

  int messages = 0;
  FileServiceHooks hooks;
  hooks.show_error = [&messages](const std::string&, int) { ++messages; };
  RecordFileSession session(2, hooks);
  std::string target = path;
  const int rc = session.save_record(target, appended, RecordFileSession::kAppendMode);
  const Record after = read_whole_file(path);

  if (rc != 0) {
    FUZZ_CHECK(after == original, "a refused append changed the file");
    FUZZ_CHECK(messages == 1, "a refused append was not reported once");
    return 0;
  }
  FUZZ_CHECK(before.header_ok, "appended to a file whose header is not valid");
  FUZZ_CHECK(messages == 0, "a successful append showed an error");
  Record expected = original;
  put_int32(expected, static_cast<std::int32_t>(appended.size()));
  expected.insert(expected.end(), appended.begin(), appended.end());
  put_int32(expected, static_cast<std::int32_t>(appended.size()));
  put_int32(expected, before.count + 1);
  FUZZ_CHECK(after == expected, "the append did not add exactly one record after the old bytes");

  const Reading now = read_all(path, after.size(), revisit);
  FUZZ_CHECK(now.header_ok && now.count == before.count + 1, "the appended file lost its count");
  if (now.count == before.count + 1) {
    for (int i = 0; i < before.count; ++i) {
      const auto& was = before.records[static_cast<std::size_t>(i)];
      if (was) FUZZ_CHECK(now.records[static_cast<std::size_t>(i)] == was, "a record changed");
    }
  }
  // The new record is found from the end, as the count at the end says. (A
  // file damaged so that its middle frames as records too may read another
  // record there when walked from the start: such a file has two readings,
  // and the program never writes one.)
  RecordFile file;
  std::string text;
  DateTime time;
  Record last;
  FUZZ_CHECK(file.open(path, false) == 0 && file.read_header(text, time) == 0 &&
                 file.read_record(file.record_count() - 1, last) == 0 && last == appended,
             "the appended record does not read back");
  return 0;
}

}  // namespace orvadw::fuzz
