#include "sim/fault_injector.h"

#include "sim/crc16.h"

namespace orvadw::sim {

FaultInjector::FaultInjector(const FaultOptions& options)
    : options_(options), random_(options.seed) {}

void FaultInjector::set_options(const FaultOptions& options) {
  std::lock_guard lock(mutex_);
  if (options.seed != options_.seed) random_.reseed(options.seed);
  options_ = options;
}

void FaultInjector::reset(const FaultOptions& options) {
  std::lock_guard lock(mutex_);
  options_ = options;
  random_.reseed(options.seed);
  counters_ = {};
}

FaultCounters FaultInjector::counters() const {
  std::lock_guard lock(mutex_);
  return counters_;
}

FaultedAnswer FaultInjector::apply(std::vector<std::uint8_t> answer) {
  std::lock_guard lock(mutex_);
  FaultedAnswer out;
  if (answer.size() < 4) return out;
  const FaultOptions& o = options_;
  out.delay_ms = o.delay_ms > 0 ? o.delay_ms : 0;

  if (random_.chance(o.drop)) {
    ++counters_.dropped;
    return out;
  }
  if (o.exception_code != 0 && random_.chance(o.exception_rate)) {
    const std::uint8_t function = static_cast<std::uint8_t>(answer[1] & 0x7F);
    answer = {answer[0], static_cast<std::uint8_t>(function | 0x80),
              static_cast<std::uint8_t>(o.exception_code)};
    append_crc(answer);
    ++counters_.exceptions;
    out.exception = true;
  }
  if (random_.chance(o.wrong_slave)) {
    // Another real slave number, with a good CRC, so that only the slave
    // check of the master can notice.
    std::uint8_t other = static_cast<std::uint8_t>(1 + random_.below(255));
    if (other == answer[0]) other = static_cast<std::uint8_t>(other % 255 + 1);
    answer[0] = other;
    answer.resize(answer.size() - 2);
    append_crc(answer);
    ++counters_.wrong_slave;
  }
  if (o.corrupt > 0.0) {
    for (std::uint8_t& byte : answer) {
      if (random_.chance(o.corrupt)) {
        byte = static_cast<std::uint8_t>(byte ^ (1u << random_.below(8)));
        ++counters_.corrupted_bytes;
      }
    }
  }
  if (random_.chance(o.garbage)) {
    const std::uint32_t n = 1 + random_.below(8);
    std::vector<std::uint8_t> noisy;
    noisy.reserve(answer.size() + n);
    for (std::uint32_t i = 0; i < n; ++i) noisy.push_back(static_cast<std::uint8_t>(random_.next()));
    noisy.insert(noisy.end(), answer.begin(), answer.end());
    answer = std::move(noisy);
    ++counters_.garbage;
  }
  if (random_.chance(o.late)) {
    out.delay_ms += o.late_ms > 0 ? o.late_ms : 0;
    ++counters_.late;
  }
  out.bytes = std::move(answer);
  return out;
}

}  // namespace orvadw::sim
