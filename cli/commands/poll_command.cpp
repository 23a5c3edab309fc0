// orvadw-cli poll: the master's poll thread repeats one read; each answer is
// printed as one line of hexadecimal (an empty line for a failed poll), as a
// measurement window shows each "WM_NEW_TRAME".
#include <chrono>
#include <ostream>

#include "cli/cli_command.h"
#include "cli/hex_text.h"
#include "cli/link_session.h"
#include "cli/read_request.h"
#include "link/poll_signal.h"

namespace orvadw::cli {

namespace {

constexpr const char* kUsage =
    "poll ADDR COUNT [--period MS] [--times N] [--function 3|4] [--bytes-per-item K]";

int run_poll(CliContext& context) {
  std::vector<std::string> args = context.args;
  long long period = 500;
  long long times = 5;
  ReadRequest request;
  if (!take_bounded_option(args, "--period", 0, 3600000, period, context.err) ||
      !take_bounded_option(args, "--times", 1, 1000000, times, context.err) ||
      !take_read_request(args, request, context.err)) {
    return bad_usage(context.err, kUsage);
  }

  LinkSession session;
  if (const int status = session.open(context.options, context.err); status != 0) return status;
  JBusMaster& master = session.master();

  const auto per_poll = PollSignal::longest_poll(master);

  PollSignal signal;
  if (master.start_polling(&signal, session.slave(), request.function, request.address,
                           request.count, static_cast<int>(period), request.bytes_per_item,
                           {}) != 0) {
    context.err << "orvadw-cli: polling could not be started\n";
    return 1;
  }
  int last_failure = 0;
  int status = 0;
  for (long i = 0; i < times; ++i) {
    if (!signal.wait_beyond(i, std::chrono::steady_clock::now() + per_poll +
                                   std::chrono::milliseconds(period))) {
      context.err << "orvadw-cli: the poll thread stopped reporting\n";
      status = 1;
      break;
    }
    const JBusMaster::PollRequest result = master.poll_result();
    context.out << hex_text(result.data) << "\n" << std::flush;
    if (result.last_result != 0) last_failure = result.last_result;
    if (i + 1 < times) master.resume_polling();
  }
  master.stop_polling();
  if (status != 0) return status;
  if (last_failure != 0) return report_result(context.err, last_failure);
  return 0;
}

CliCommandRegistration reg{{
    "poll",
    kUsage,
    "Polls COUNT registers at ADDR every MS milliseconds (500), N times (5); one hex line per "
    "answer, an empty line for a failed poll.",
    run_poll,
}};

}  // namespace
}  // namespace orvadw::cli
