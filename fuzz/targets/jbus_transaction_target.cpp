// One transaction of the master against a line that answers with the input:
// answers in any amount, cut by silences, garbled, late, or from a device
// that vanishes. The result is a code the link documents; data comes back
// only from an answer that is a whole, correct frame for the request, and a
// failure leaves no partial data.
#include <algorithm>

#include "base/result_codes.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/fuzz_input.h"
#include "fuzz/support/result_set.h"
#include "fuzz/support/scripted_port.h"
#include "link/jbus_master.h"
#include "sim/crc16.h"

namespace orvadw::fuzz {

namespace {

constexpr int kFunctions[] = {3, 4, 16};
constexpr std::size_t kMaxAnswers = 5;
constexpr std::size_t kMaxSegments = 4;

Script script_from(FuzzInput& in) {
  Script script;
  while (!in.empty() && script.answers.size() < kMaxAnswers) {
    const std::uint8_t shape = in.byte();
    ScriptedAnswer answer;
    const std::size_t segments = 1 + shape % kMaxSegments;
    for (std::size_t s = 0; s < segments && !in.empty(); ++s) {
      answer.segments.push_back(in.counted_bytes());
    }
    answer.vanish = (shape & 0x80) != 0;
    script.answers.push_back(std::move(answer));
  }
  return script;
}

// What the link collects of an answer: its first segment, up to the
// expected length (a silence ends the answer before that).
std::vector<std::uint8_t> collected(const ScriptedAnswer& answer, std::size_t expected) {
  if (answer.segments.empty()) return {};
  std::vector<std::uint8_t> first = answer.segments.front();
  if (first.size() > expected) first.resize(expected);
  return first;
}

}  // namespace

int fuzz_jbus_transaction(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const int function = kFunctions[in.pick(std::size(kFunctions))];
  const int slave = in.pick(3) == 0 ? 0 : in.byte();
  const int address = in.u16();
  std::vector<std::uint8_t> values;
  int count = 0;
  if (function == 16) {
    values = in.bytes(in.pick(64));
    count = static_cast<int>((values.size() + 1) / 2);
  } else {
    count = in.pick(130);
  }
  Script script = script_from(in);
  set_script(&script);

  JBusMaster master;
  FUZZ_CHECK(master.connect(kScriptedComNumber, 5) == 0, "the scripted line did not open");
  // The line's silences are immediate: no time-out needs to be waited for.
  master.set_inter_char_timeout(0);
  master.set_answer_timeout(0);

  Bytes io = values;
  const int rc = master.transact(slave, function, address, count, io);
  const std::size_t expected = function == 16 ? 8 : static_cast<std::size_t>(count) * 2 + 5;

  FUZZ_CHECK(rc == result::kRequestNotBuilt || is_transaction_code(rc),
             "transact gave a code outside the documented ones");
  FUZZ_CHECK(script.written.size() <= static_cast<std::size_t>(master.retries()),
             "more requests were sent than attempts allowed");
  if (rc != 0) {
    FUZZ_CHECK(io.empty(), "a failed transaction left data behind");
    set_script(nullptr);
    return 0;
  }

  FUZZ_CHECK(io.size() == (function == 16 ? 3 : static_cast<std::size_t>(count) * 2),
             "the answer's data has the wrong length");
  // The data must be that of one answer that was a correct frame for the
  // request, as the line delivered it.
  bool found = false;
  for (std::size_t i = 0; i < script.written.size() && i < script.answers.size() && !found; ++i) {
    const std::vector<std::uint8_t> frame = collected(script.answers[i], expected);
    if (frame.size() != expected || !sim::crc_matches(frame.data(), frame.size())) continue;
    if ((slave != 0 && frame[0] != slave) || frame[1] != function) continue;
    found = std::equal(io.begin(), io.end(), frame.begin() + 3);
  }
  FUZZ_CHECK(found, "data was accepted that no correct answer carried");
  set_script(nullptr);
  return 0;
}

}  // namespace orvadw::fuzz
