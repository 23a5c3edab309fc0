// The libFuzzer entry of one target; ORVADW_FUZZ_TARGET_NAME names it.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const orvadw::fuzz::FuzzTarget* target =
      orvadw::fuzz::find_fuzz_target(ORVADW_FUZZ_TARGET_NAME);
  if (target == nullptr) {
    std::fprintf(stderr, "no fuzz target named %s\n", ORVADW_FUZZ_TARGET_NAME);
    std::abort();
  }
  return target->run(data, size);
}
