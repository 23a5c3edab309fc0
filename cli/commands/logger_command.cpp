// orvadw-cli logger [FILE]: what the logger view does, without the window.
// The log is downloaded one entry per request on the master's poll thread
// through the same LoggerDownload and LoggerTable as the view; the table is
// printed (the header row, then one row per entry, cells separated by a tab,
// as the view shows them) and, with FILE, saved as the view's save does:
// from the bytes received.
#include <ostream>

#include "base/text_table.h"
#include "cli/arguments.h"
#include "cli/cli_command.h"
#include "cli/grid_text.h"
#include "cli/instrument_identity.h"
#include "cli/link_session.h"
#include "files/logger_download.h"
#include "link/poll_signal.h"
#include "params/window_table.h"

namespace orvadw::cli {

namespace {

constexpr const char* kUsage = "logger [FILE] [--language 1-4]";

int run_logger(CliContext& context) {
  std::vector<std::string> args = context.args;
  long long language = kEnglish;
  if (!take_bounded_option(args, "--language", 1, TextTable::language_count(), language,
                           context.err) ||
      args.size() > 1 || (!args.empty() && args[0].rfind("--", 0) == 0)) {
    return bad_usage(context.err, kUsage);
  }
  const std::string path = args.empty() ? std::string() : args[0];
  const int lang = static_cast<int>(language);

  LinkSession session;
  IdentificationTexts ids;
  if (const int status = open_identified(session, context.options, lang, ids, context.err);
      status != 0) {
    return status;
  }

  const WindowTable window = logger_window(lang);
  ParameterFieldList fields = make_field_list(window, lang);
  LoggerTable table(fields);
  LoggerDownload download(table, LoggerDownload::Clock::now());
  JBusMaster& master = session.master();
  PollSignal signal;
  const PolledRequest first = download.request();
  if (master.start_polling(&signal, session.slave(), first.function, first.address, first.count, 0,
                           first.bytes_per_item, {}) != 0) {
    context.err << "orvadw-cli: polling could not be started\n";
    return 1;
  }
  LoggerDownload::Step step = LoggerDownload::Step::kRetry;
  int last_failure = 0;
  for (long seen = 0;; ++seen) {
    if (!signal.wait_beyond(seen,
                            std::chrono::steady_clock::now() + PollSignal::longest_poll(master))) {
      context.err << "orvadw-cli: the poll thread stopped reporting\n";
      master.stop_polling();
      return 1;
    }
    const JBusMaster::PollRequest answer = master.poll_result();
    if (answer.last_result != 0) last_failure = answer.last_result;
    step = download.on_answer(answer.data, LoggerDownload::Clock::now());
    if (step == LoggerDownload::Step::kNext) {
      const PolledRequest next = download.request();
      master.set_poll_request(session.slave(), next.function, next.address, next.count, {},
                              next.bytes_per_item);
    }
    if (step != LoggerDownload::Step::kNext && step != LoggerDownload::Step::kRetry) break;
    master.resume_polling();
  }
  master.stop_polling();

  // What was read is printed even when the line died part way.
  print_grid(context.out, table.grid());
  if (step == LoggerDownload::Step::kGaveUp) {
    context.err << "orvadw-cli: the download was given up after " << table.entry_count()
                << " entries\n";
    return report_result(context.err, last_failure != 0 ? last_failure : 251);
  }
  if (step == LoggerDownload::Step::kUndecodable) {
    context.err << "orvadw-cli: the instrument's answer is not a log entry\n";
    return 1;
  }
  if (path.empty()) return 0;
  const LoggerTable::SaveResult saved = table.save(
      path, build_header_text(text_of(window.title_text_id, lang), ids), DateTime::now(), lang);
  for (const std::string& error : saved.errors) context.err << error << "\n";
  if (!saved.created || !saved.errors.empty()) return 1;
  context.err << "saved " << saved.written << (saved.written == 1 ? " record" : " records")
              << " to " << path << "\n";
  return 0;
}

CliCommandRegistration reg{{
    "logger",
    kUsage,
    "Downloads the event logger as the logger view does (at most 20 entries), prints the table "
    "tab-separated and, with FILE, saves the logger file from the bytes received.",
    run_logger,
}};

}  // namespace
}  // namespace orvadw::cli
