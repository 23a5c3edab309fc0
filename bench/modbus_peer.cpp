// The reference peer of the benchmark: the same loop as `orvadw-cli bench`,
// through libmodbus, printing the same lines:
//   TX <i> <0|1> <wall_ns>
//   DATA <i> <hex of the register bytes>      (reads only)
//   LOOP <n> <loop_wall_ns> <user_ns> <sys_ns>
// usage: modbus_peer --device PATH [--baud B] [--jbus N] [--timeout MS]
//                    read|write --count N [--address A] [--registers R]
#include <modbus/modbus.h>
#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: modbus_peer --device PATH [--baud B] [--jbus N] [--timeout MS]\n"
               "                   read|write --count N [--address A] [--registers R]\n");
  return 2;
}

bool number(const char* text, long long low, long long high, long long& value) {
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
  value = v;
  return true;
}

long long time_ns(const timeval& t) {
  return static_cast<long long>(t.tv_sec) * 1000000000LL + static_cast<long long>(t.tv_usec) * 1000LL;
}

}  // namespace

int main(int argc, char** argv) {
  std::string device;
  std::string mode;
  long long baud = 9600, jbus = 1, timeout_ms = 1000, count = -1, address = -1, registers = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool has_value = i + 1 < argc;
    if (a == "read" || a == "write") {
      mode = a;
    } else if (a == "--device" && has_value) {
      device = argv[++i];
    } else if (a == "--baud" && has_value) {
      if (!number(argv[++i], 1, 4000000, baud)) return usage();
    } else if (a == "--jbus" && has_value) {
      if (!number(argv[++i], 0, 255, jbus)) return usage();
    } else if (a == "--timeout" && has_value) {
      if (!number(argv[++i], 1, 60000, timeout_ms)) return usage();
    } else if (a == "--count" && has_value) {
      if (!number(argv[++i], 1, 1000000, count)) return usage();
    } else if (a == "--address" && has_value) {
      if (!number(argv[++i], 0, 0xFFFF, address)) return usage();
    } else if (a == "--registers" && has_value) {
      if (!number(argv[++i], 1, 125, registers)) return usage();
    } else {
      return usage();
    }
  }
  if (device.empty() || mode.empty() || count < 0) return usage();
  const bool write = mode == "write";
  if (address < 0) address = write ? 0x1000 : 0x100;
  if (registers < 0) registers = write ? 50 : 24;
  if (write && registers > 123) return usage();

  modbus_t* ctx = modbus_new_rtu(device.c_str(), static_cast<int>(baud), 'N', 8, 1);
  if (ctx == nullptr) {
    std::fprintf(stderr, "modbus_peer: %s\n", modbus_strerror(errno));
    return 1;
  }
  modbus_set_slave(ctx, static_cast<int>(jbus));
  modbus_set_response_timeout(ctx, static_cast<std::uint32_t>(timeout_ms / 1000),
                              static_cast<std::uint32_t>((timeout_ms % 1000) * 1000));
  if (modbus_connect(ctx) != 0) {
    std::fprintf(stderr, "modbus_peer: %s: %s\n", device.c_str(), modbus_strerror(errno));
    modbus_free(ctx);
    return 1;
  }

  const int n = static_cast<int>(count);
  const int r = static_cast<int>(registers);
  std::vector<long long> wall(static_cast<std::size_t>(n));
  std::vector<int> ok(static_cast<std::size_t>(n));
  std::vector<std::vector<std::uint16_t>> answers(write ? 0 : static_cast<std::size_t>(n));
  std::vector<std::uint16_t> regs(static_cast<std::size_t>(r));

  rusage before{}, after{};
  ::getrusage(RUSAGE_SELF, &before);
  const auto loop_start = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i) {
    if (write) {
      for (int k = 0; k < r; ++k) {
        regs[static_cast<std::size_t>(k)] = static_cast<std::uint16_t>(static_cast<long long>(i) * r + k + 1);
      }
    }
    const auto start = std::chrono::steady_clock::now();
    const int rc = write ? modbus_write_registers(ctx, static_cast<int>(address), r, regs.data())
                         : modbus_read_registers(ctx, static_cast<int>(address), r, regs.data());
    const auto end = std::chrono::steady_clock::now();
    wall[static_cast<std::size_t>(i)] =
        std::chrono::duration_cast<std::chrono::nanoseconds>(end - start).count();
    ok[static_cast<std::size_t>(i)] = rc == r ? 1 : 0;
    if (rc != r) {
      modbus_flush(ctx);  // a late answer must not be taken for the next one
    } else if (!write) {
      answers[static_cast<std::size_t>(i)] = regs;
    }
  }
  const auto loop_end = std::chrono::steady_clock::now();
  ::getrusage(RUSAGE_SELF, &after);

  int failures = 0;
  for (int i = 0; i < n; ++i) {
    failures += ok[static_cast<std::size_t>(i)] ? 0 : 1;
    std::printf("TX %d %d %lld\n", i, ok[static_cast<std::size_t>(i)], wall[static_cast<std::size_t>(i)]);
  }
  if (!write) {
    for (int i = 0; i < n; ++i) {
      std::printf("DATA %d ", i);
      const auto& a = answers[static_cast<std::size_t>(i)];
      for (std::size_t k = 0; k < a.size(); ++k) {
        std::printf("%s%02X %02X", k ? " " : "", a[k] >> 8, a[k] & 0xFF);
      }
      std::printf("\n");
    }
  }
  std::printf("LOOP %d %lld %lld %lld\n", n,
              static_cast<long long>(
                  std::chrono::duration_cast<std::chrono::nanoseconds>(loop_end - loop_start).count()),
              time_ns(after.ru_utime) - time_ns(before.ru_utime),
              time_ns(after.ru_stime) - time_ns(before.ru_stime));
  modbus_close(ctx);
  modbus_free(ctx);
  if (failures != 0) {
    std::fprintf(stderr, "modbus_peer: %d of %d transactions failed\n", failures, n);
    return 1;
  }
  return 0;
}
