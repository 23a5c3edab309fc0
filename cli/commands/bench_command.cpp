// orvadw-cli bench: a loop of reads or writes through JBusMaster for the
// benchmark driver in bench/. Everything is printed after the loop so that
// output does not weigh on the timings:
//   TX <i> <0|1> <wall_ns>        one per transaction (1 = success)
//   DATA <i> <hex>                one per read, the register bytes
//   LOOP <n> <wall_ns> <user_ns> <sys_ns>   rusage of the whole process
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/hex_text.h"
#include "cli/link_session.h"

namespace orvadw::cli {

namespace {

constexpr const char* kUsage = "bench read|write --count N [--address A] [--registers R]";

long long time_ns(const timeval& t) {
  return static_cast<long long>(t.tv_sec) * 1000000000LL + static_cast<long long>(t.tv_usec) * 1000LL;
}

int run_bench(CliContext& context) {
  std::vector<std::string> args = context.args;
  if (args.empty() || (args[0] != "read" && args[0] != "write")) {
    return bad_usage(context.err, kUsage);
  }
  const bool write = args[0] == "write";
  args.erase(args.begin());
  long long count = -1;
  long long address = write ? 0x1000 : 0x100;
  long long registers = write ? 50 : 24;
  if (!take_bounded_option(args, "--count", 1, 1000000, count, context.err) ||
      !take_bounded_option(args, "--address", 0, 0xFFFF, address, context.err) ||
      // A read answer counts its bytes in one byte; a write frame stops at 255.
      !take_bounded_option(args, "--registers", 1, write ? 123 : 127, registers, context.err)) {
    return bad_usage(context.err, kUsage);
  }
  if (count < 0 || !args.empty()) return bad_usage(context.err, kUsage);

  LinkSession session;
  if (const int status = session.open(context.options, context.err); status != 0) return status;
  JBusMaster& master = session.master();
  const int n = static_cast<int>(count);
  const int r = static_cast<int>(registers);

  std::vector<long long> wall(static_cast<std::size_t>(n));
  std::vector<int> results(static_cast<std::size_t>(n));
  std::vector<Bytes> answers(write ? 0 : static_cast<std::size_t>(n));
  Bytes data;
  data.reserve(static_cast<std::size_t>(r) * 2);

  rusage before{}, after{};
  ::getrusage(RUSAGE_SELF, &before);
  const auto loop_start = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i) {
    data.clear();
    if (write) {
      for (int k = 0; k < r; ++k) {
        const auto value = static_cast<std::uint16_t>(static_cast<long long>(i) * r + k + 1);
        data.push_back(static_cast<std::uint8_t>(value >> 8));
        data.push_back(static_cast<std::uint8_t>(value & 0xFF));
      }
    }
    const auto start = std::chrono::steady_clock::now();
    const int rc = master.transact(session.slave(), write ? 16 : 3, static_cast<int>(address), r, data);
    const auto end = std::chrono::steady_clock::now();
    wall[static_cast<std::size_t>(i)] =
        std::chrono::duration_cast<std::chrono::nanoseconds>(end - start).count();
    results[static_cast<std::size_t>(i)] = rc;
    if (!write) answers[static_cast<std::size_t>(i)] = data;
  }
  const auto loop_end = std::chrono::steady_clock::now();
  ::getrusage(RUSAGE_SELF, &after);

  int failures = 0;
  int last_failure = 0;
  for (int i = 0; i < n; ++i) {
    const int rc = results[static_cast<std::size_t>(i)];
    if (rc != 0) {
      ++failures;
      last_failure = rc;
    }
    context.out << "TX " << i << " " << (rc == 0 ? 1 : 0) << " " << wall[static_cast<std::size_t>(i)]
                << "\n";
  }
  if (!write) {
    for (int i = 0; i < n; ++i) {
      context.out << "DATA " << i << " " << hex_text(answers[static_cast<std::size_t>(i)]) << "\n";
    }
  }
  context.out << "LOOP " << n << " "
              << std::chrono::duration_cast<std::chrono::nanoseconds>(loop_end - loop_start).count()
              << " " << time_ns(after.ru_utime) - time_ns(before.ru_utime) << " "
              << time_ns(after.ru_stime) - time_ns(before.ru_stime) << "\n";
  if (failures != 0) {
    context.err << "orvadw-cli bench: " << failures << " of " << n << " transactions failed\n";
    return report_result(context.err, last_failure);
  }
  return 0;
}

CliCommandRegistration reg{{
    "bench",
    kUsage,
    "Times N reads (24 registers at 0x100) or writes (50 at 0x1000) and prints TX, DATA and LOOP "
    "lines for the benchmark.",
    run_bench,
}};

}  // namespace
}  // namespace orvadw::cli
