// orvadw-cli record FILE: what the measurement view does while it records,
// without the window. The range request first, then the live block every
// 500 ms; each good answer goes through the same MeasurementSession and
// MeasurementRecorder steps as the view, so the file holds the same records
// paced by the same instrument clock. One line per sample written. It ends
// after N samples, at the maximum time, or on SIGINT/SIGTERM, with every
// whole sample on disk; a line whose device goes away is reopened about once
// a second meanwhile.
#include <ostream>

#include "base/text_table.h"
#include "cli/arguments.h"
#include "cli/cli_command.h"
#include "cli/instrument_identity.h"
#include "cli/link_session.h"
#include "cli/stop_request.h"
#include "files/measurement_recorder.h"
#include "files/settings_store.h"
#include "link/link_recovery.h"
#include "link/poll_signal.h"
#include "params/measurement_session.h"

namespace orvadw::cli {

namespace {

constexpr const char* kUsage =
    "record FILE [--period S] [--max-minutes M] [--samples N] [--language 1-4]";
constexpr int kPollPeriodMs = 500;
// How often a wait looks at the stop request.
constexpr auto kStopCheck = std::chrono::milliseconds(100);

struct RecordOptions {
  std::string path;
  RecordingSettings settings;
  long long samples = 0;  // 0: no count
  int language = kEnglish;
};

bool take_record_options(CliContext& context, RecordOptions& o) {
  std::vector<std::string> args = context.args;
  // The configuration's recording settings unless the command line says.
  if (context.options.config)
    o.settings = read_recording_settings(SettingsStore(*context.options.config));
  long long period = o.settings.period_seconds;
  long long minutes = o.settings.max_minutes;
  long long language = kEnglish;
  if (!take_bounded_option(args, "--period", 0, 99999, period, context.err) ||
      !take_bounded_option(args, "--max-minutes", 0, 99999, minutes, context.err) ||
      !take_bounded_option(args, "--samples", 1, 100000000, o.samples, context.err) ||
      !take_bounded_option(args, "--language", 1, TextTable::language_count(), language,
                           context.err)) {
    return false;
  }
  if (args.size() != 1 || args[0].rfind("--", 0) == 0) return false;
  o.path = args[0];
  o.settings.period_seconds = RecordingPace::period_from_setting(static_cast<double>(period));
  o.settings.max_minutes = static_cast<int>(minutes);
  o.language = static_cast<int>(language);
  return true;
}

int run_record(CliContext& context) {
  RecordOptions options;
  if (!take_record_options(context, options)) return bad_usage(context.err, kUsage);
  const int lang = options.language;

  LinkSession session;
  IdentificationTexts ids;
  if (const int status = open_identified(session, context.options, lang, ids, context.err);
      status != 0) {
    return status;
  }

  ParameterFieldList fields = make_field_list(measurement_window(lang), lang);
  MeasurementSession measurement(fields);
  MeasurementRecorder recorder(options.settings, lang);
  recorder.press();
  // The view's title when it starts a recording names the window only.
  if (recorder.start(options.path,
                     build_header_text(text_of(measurement_window(lang).title_text_id, lang), ids),
                     DateTime::now()) != 0) {
    context.err << recorder.error_message() << "\n";
    return 1;
  }

  JBusMaster& master = session.master();
  LinkRecovery recovery(master, session.com_number(), context.options.baud_index);
  PollSignal signal;
  StopRequest stop;
  const PolledRequest first = measurement.range_request();
  if (master.start_polling(&signal, session.slave(), first.function, first.address, first.count,
                           kPollPeriodMs, first.bytes_per_item, {}) != 0) {
    context.err << "orvadw-cli: polling could not be started\n";
    return 1;
  }

  int status = 0;
  bool line_down = false;
  // The next answer, waited for in short slices so that a signal is heard:
  // false on a stop request or when the poll thread stopped reporting.
  const auto wait_answer = [&](long seen) {
    const auto deadline = std::chrono::steady_clock::now() + PollSignal::longest_poll(master) +
                          std::chrono::milliseconds(kPollPeriodMs);
    while (!stop.requested()) {
      const auto now = std::chrono::steady_clock::now();
      if (signal.wait_beyond(seen, std::min(deadline, now + kStopCheck))) return true;
      if (now >= deadline) {
        context.err << "orvadw-cli: the poll thread stopped reporting\n";
        status = 1;
        return false;
      }
    }
    return false;
  };
  for (long seen = 0; wait_answer(seen); ++seen) {
    const JBusMaster::PollRequest answer = master.poll_result();
    const MeasurementSession::Answer result = measurement.process(answer.address, answer.data);
    if (result == MeasurementSession::Answer::kRange) {
      const PolledRequest live = measurement.live_request();
      master.set_poll_request(session.slave(), live.function, live.address, live.count, {},
                              live.bytes_per_item);
    }
    if (result == MeasurementSession::Answer::kFailed) {
      if (!line_down)
        context.err << "orvadw-cli: no answer (" << answer.last_result << "), still trying\n";
      line_down = true;
      recovery.after_failed_poll(answer.last_result);
    } else {
      if (line_down) context.err << "orvadw-cli: the instrument answers again\n";
      line_down = false;
    }
    if (result != MeasurementSession::Answer::kFailed && measurement.live_seen()) {
      const MeasurementRecorder::StepResult step =
          recorder.step(measurement.instrument_clock(), measurement.sample());
      if (step.wrote) {
        const DateTime clock = measurement.instrument_clock();
        context.out << "sample " << recorder.samples_written() << " " << clock.format_date()
                    << " - " << clock.format_time() << " "
                    << fields.field(MeasurementSession::kSpeedControl)->value_text() << " "
                    << fields.field(MeasurementSession::kSpeedControl)->unit_text() << "\n"
                    << std::flush;
      }
      if (step.failed && step.first_failure) context.err << recorder.error_message() << "\n";
      if (step.stopped) break;
      if (options.samples > 0 && recorder.samples_written() >= options.samples) break;
    }
    master.resume_polling();
  }
  master.stop_polling();
  recorder.stop();
  context.err << "recorded " << recorder.samples_written() << " samples to " << options.path
              << "\n";
  return status;
}

CliCommandRegistration reg{{
    "record",
    kUsage,
    "Records the live values to a measurement file as the measurement view does, paced by the "
    "instrument's clock (period and maximum from the configuration unless given); ends after N "
    "samples, at the maximum time, or on SIGINT/SIGTERM.",
    run_record,
}};

}  // namespace
}  // namespace orvadw::cli
