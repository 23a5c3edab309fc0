// orvadw-cli write: one register write (function 16) of the bytes given in
// hexadecimal, high byte of each register first.
#include <ostream>

#include "base/c_locale.h"
#include "cli/cli_command.h"
#include "cli/hex_text.h"
#include "cli/link_session.h"

namespace orvadw::cli {

namespace {

constexpr const char* kUsage = "write ADDR HEX...";
// 123 registers make the longest request frame (255 bytes).
constexpr std::size_t kMaxDataBytes = 246;

int run_write(CliContext& context) {
  const std::vector<std::string>& args = context.args;
  if (args.size() < 2) return bad_usage(context.err, kUsage);
  int address = 0;
  if (!parse_register_address(args[0], address, context.err)) {
    return bad_usage(context.err, kUsage);
  }
  Bytes data;
  if (!parse_hex_words({args.begin() + 1, args.end()}, data, context.err)) {
    return bad_usage(context.err, kUsage);
  }
  if (data.empty() || data.size() > kMaxDataBytes) {
    context.err << "orvadw-cli: write takes 1 to " << kMaxDataBytes << " bytes\n";
    return bad_usage(context.err, kUsage);
  }

  LinkSession session;
  if (const int status = session.open(context.options, context.err); status != 0) return status;
  const int count = static_cast<int>((data.size() + 1) / 2);
  Bytes answer = data;
  const int rc = session.master().transact(session.slave(), 16, address, count, answer);
  if (rc != 0) return report_result(context.err, rc);
  context.out << "wrote " << count << (count == 1 ? " register" : " registers") << " at "
              << c_format("0x%04X", static_cast<unsigned>(address)) << "\n";
  return 0;
}

CliCommandRegistration reg{{
    "write",
    kUsage,
    "Writes the bytes (hexadecimal, two digits a byte) to the registers from ADDR on.",
    run_write,
}};

}  // namespace
}  // namespace orvadw::cli
