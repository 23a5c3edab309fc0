// orvadw-cli read: one register read, the answer's register bytes printed as
// hexadecimal on one line.
#include <ostream>

#include "cli/cli_command.h"
#include "cli/hex_text.h"
#include "cli/link_session.h"
#include "cli/read_request.h"

namespace orvadw::cli {

namespace {

constexpr const char* kUsage = "read ADDR COUNT [--function 3|4] [--bytes-per-item K]";

int run_read(CliContext& context) {
  std::vector<std::string> args = context.args;
  ReadRequest request;
  if (!take_read_request(args, request, context.err)) return bad_usage(context.err, kUsage);

  LinkSession session;
  if (const int status = session.open(context.options, context.err); status != 0) return status;
  Bytes data;
  const int rc = session.master().transact(session.slave(), request.function, request.address,
                                           request.count, data, request.bytes_per_item);
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
