// orvadw-cli read: one register read, the answer's register bytes printed as
// hexadecimal on one line.
#include <ostream>

#include "cli/cli_command.h"
#include "cli/link_session.h"

namespace orvadw::cli {

namespace {

constexpr const char* kUsage = "read ADDR COUNT [--function 3|4] [--bytes-per-item K]";

int usage(CliContext& context) {
  context.err << "usage: orvadw-cli " << kUsage << "\n";
  return 2;
}

int run_read(CliContext& context) {
  std::vector<std::string> args = context.args;
  long long function = 3;
  long long per_item = 2;
  if (!take_bounded_option(args, "--function", 3, 4, function, context.err) ||
      !take_bounded_option(args, "--bytes-per-item", 1, 255, per_item, context.err)) {
    return usage(context);
  }
  if (args.size() != 2) return usage(context);
  int address = 0;
  long long count = 0;
  if (!parse_register_address(args[0], address, context.err) ||
      !parse_bounded(args[1], "COUNT", 1, 255, count, context.err)) {
    return usage(context);
  }
  // The answer's byte count is one byte: a longer read could never succeed.
  if (count * per_item > 255) {
    context.err << "orvadw-cli: COUNT x bytes per item must stay within 255 bytes\n";
    return usage(context);
  }

  LinkSession session;
  if (const int status = session.open(context.options, context.err); status != 0) return status;
  Bytes data;
  const int rc = session.master().transact(session.slave(), static_cast<int>(function), address,
                                           static_cast<int>(count), data,
                                           static_cast<int>(per_item));
  if (rc != 0) return report_result(context.err, rc);
  context.out << hex_text(data) << "\n";
  return 0;
}

CliCommandRegistration reg{{
    "read",
    kUsage,
    "Reads COUNT registers at ADDR and prints the answer's bytes in hexadecimal.",
    run_read,
}};

}  // namespace
}  // namespace orvadw::cli
