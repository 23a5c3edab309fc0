#include "files/measurement_recorder.h"

#include "base/c_locale.h"
#include "base/cp1252.h"
#include "files/config_keys.h"
#include "files/file_error.h"
#include "files/record_file.h"
#include "files/settings_store.h"

namespace orvadw {

namespace {
constexpr int kRecordText = 63;
constexpr int kLeftTimeText = 203;
constexpr int kMinutesText = 134;
constexpr int kSecondsText = 186;
}  // namespace

RecordingSettings read_recording_settings(const SettingsStore& settings) {
  RecordingSettings out;
  out.period_seconds =
      RecordingPace::period_from_setting(settings.read_number(config::kFileSave, config::kSampleRecordTime, 1));
  out.max_minutes =
      RecordingPace::minutes_from_setting(settings.read_number(config::kFileSave, config::kRecordLapTime, 0));
  return out;
}

MeasurementRecorder::MeasurementRecorder(int period_seconds, int max_minutes, int language)
    : pace_(period_seconds, max_minutes), language_(language) {}

MeasurementRecorder::~MeasurementRecorder() { stop(); }

void MeasurementRecorder::press() {
  switch (state_) {
    case State::kIdle:
      state_ = State::kStartRequested;
      break;
    case State::kRecording:
      stop();
      break;
    case State::kStartRequested:
      break;
  }
}

void MeasurementRecorder::cancel_start() {
  if (state_ == State::kStartRequested) state_ = State::kIdle;
}

int MeasurementRecorder::start(const std::string& path, const std::string& header_text,
                               const DateTime& now) {
  error_message_.clear();
  records_written_ = 0;
  failing_ = false;
  pace_.restart();
  RecordFile file;
  if (file.create(path) != 0 || file.create_header(cp1252_from_utf8(header_text), now) != 0) {
    error_message_ = file_failure_message(file.error_number(), language_);
    state_ = State::kIdle;
    return -1;
  }
  path_ = path;
  state_ = State::kRecording;
  return 0;
}

void MeasurementRecorder::stop() { state_ = State::kIdle; }

bool MeasurementRecorder::write_sample(const Sample& sample) {
  RecordFile file;
  // Another program may have cut or replaced the file: never append to
  // something that is not our recording any more.
  std::string text;
  DateTime saved;
  const bool ok = file.open(path_, true) == 0 && file.read_header(text, saved) == 0 &&
                  file.append_records(sample) == 0;
  if (!ok) {
    error_message_ = file_failure_message(file.error_number(), language_);
    return false;
  }
  records_written_ += kRecordsPerSample;
  return true;
}

MeasurementRecorder::StepResult MeasurementRecorder::step(const DateTime& instrument_clock,
                                                          const Sample& sample) {
  StepResult result;
  if (state_ != State::kRecording) return result;
  const RecordingPace::Step pace = pace_.on_clock(instrument_clock.seconds_since_1980());
  if (pace.write) {
    const bool ok = write_sample(sample);
    result.wrote = ok;
    if (!ok) {
      result.failed = true;
      result.first_failure = !failing_;
    }
    failing_ = !ok;
  }
  if (pace.stop) {
    stop();
    result.stopped = true;
  }
  return result;
}

std::string MeasurementRecorder::status_text() const {
  if (state_ != State::kRecording) return {};
  std::string text = text_of(kRecordText, language_) + " " + c_format("%d", samples_written());
  if (pace_.limited()) {
    const std::int64_t left = pace_.remaining_seconds();
    text += " (" + text_of(kLeftTimeText, language_) + c_format("%lld", static_cast<long long>(left / 60)) +
            text_of(kMinutesText, language_) + " " + c_format("%lld", static_cast<long long>(left % 60)) +
            text_of(kSecondsText, language_) + ")";
  }
  return text;
}

}  // namespace orvadw
