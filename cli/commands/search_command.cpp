// orvadw-cli search: the instrument search of the options window, without a
// display: every port of the map, every speed, slave 0. Prints where the
// instrument is, or the window's "did not answer" text.
#include <pthread.h>
#include <signal.h>

#include <ctime>
#include <ostream>

#include "base/text_table.h"
#include "cli/cli_command.h"
#include "cli/link_session.h"
#include "cli/trace_printer.h"
#include "files/config_keys.h"
#include "base/ini_file.h"
#include "link/instrument_search.h"
#include "link/port_map.h"
#include "params/window_table.h"

namespace orvadw::cli {

namespace {

constexpr const char* kUsage = "search [--one-by-one]";
// The speed list of the settings (text 243) offers seven speeds.
constexpr int kSpeedChoices = 7;
constexpr int kSpeedListTextId = 243;
constexpr int kNotFoundTextId = 59;
// Where the instrument keeps its JBus number in the identification block.
constexpr int kJBusNumberPosition = 1;

// The exit status of a search stopped by SIGINT or SIGTERM, as a shell
// reports a program ended by SIGINT.
constexpr int kInterruptedStatus = 130;

// Runs the search; SIGINT or SIGTERM (Ctrl-C) cancels it, so that the
// ports are let go cleanly. The signals are held back from the search's
// threads and taken here.
SearchResult run_until_interrupted(InstrumentSearch& search) {
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  sigset_t before;
  pthread_sigmask(SIG_BLOCK, &stop_signals, &before);
  search.start();
  while (!search.is_finished()) {
    const timespec tick{0, 20'000'000};
    if (sigtimedwait(&stop_signals, nullptr, &tick) > 0) {
      search.cancel();
      break;
    }
  }
  SearchResult result = search.wait();
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return result;
}

// The ports to look at: the one of --port, else those of the map. A
// configuration that maps ports says which ones there are: the devices
// found by the scan are then left alone.
std::vector<int> ports_to_search(const GlobalOptions& options, std::ostream& err, int* status) {
  PortMap& map = PortMap::instance();
  if (options.port) {
    const int number = LinkSession::com_number_for_port(*options.port, err, status);
    if (number == 0) return {};
    return {number};
  }
  if (options.config && !IniFile(*options.config).entries(config::kPorts).empty()) {
    map.set_scan_devices(false);
  }
  return map.com_numbers();
}

int run_search(CliContext& context) {
  std::vector<std::string> args = context.args;
  const bool one_by_one = take_flag(args, "--one-by-one");
  if (!args.empty()) return bad_usage(context.err, kUsage);
  const GlobalOptions& options = context.options;
  if (options.timeout_ms < 1 || options.timeout_ms > 60000) {
    context.err << "orvadw-cli: --timeout must be 1 to 60000 ms\n";
    return 2;
  }
  if (const int status = LinkSession::load_port_map(options, context.err); status != 0) {
    return status;
  }
  int status = 0;
  SearchPlan plan;
  plan.ports = ports_to_search(options, context.err, &status);
  if (status != 0) return status;

  WindowTable window;
  if (!find_window("identification", kEnglish, window)) {
    context.err << "orvadw-cli: the identification table is missing\n";
    return 1;
  }
  plan.id_address = block::kIdentification;
  plan.id_count = make_field_list(window, kEnglish).block_words(block::kIdentification);
  plan.jbus_position = kJBusNumberPosition;
  plan.baud_count = kSpeedChoices;
  plan.answer_timeout_ms = options.timeout_ms;
  // The one-by-one order asks every silent try three times, as the options
  // window once did; kept to compare.
  plan.side_by_side = !one_by_one;
  plan.give_up_when_silent = !one_by_one;

  InstrumentSearch search(plan);
  if (options.trace) search.set_traffic_tap(std::make_shared<TracePrinter>(context.err));
  const SearchResult found = run_until_interrupted(search);
  if (found.cancelled) {
    context.err << "orvadw-cli: search cancelled\n";
    return kInterruptedStatus;
  }
  if (!found.found()) {
    context.err << text_of(kNotFoundTextId, kEnglish) << "\n";
    return 1;
  }
  context.out << "port: " << found.port << "\n"
              << "device: " << PortMap::instance().resolve(found.port) << "\n"
              << "baud index: " << found.baud_index << "\n"
              << "baud: " << text_of(kSpeedListTextId, found.baud_index, kEnglish) << "\n"
              << "jbus: " << found.jbus_number << "\n";
  return 0;
}

CliCommandRegistration reg{{
    "search",
    kUsage,
    "Looks for the instrument on every port of the map (or --port) at every speed, as the "
    "options window's Autosearch; prints port, device, baud index, baud and jbus. Ctrl-C "
    "cancels it (exit 130).",
    run_search,
}};

}  // namespace
}  // namespace orvadw::cli
