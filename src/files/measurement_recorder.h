#pragma once
// The recording of a measurement view into a measurement file (.mes), as the
// view and `orvadw-cli record` both run it: the record button's three states,
// the file created with its header, one sample of three records (parameter
// block image, live block image, chart points) each time the instrument's
// clock says so (RecordingPace), and the record-status text.
//
// The file is reopened and its header checked for every sample, and the
// three records of a sample go to the disk together (one write, one flush):
// a crash loses at most the sample being written, whose cut tail replay
// ignores, and a sample that cannot be written (a full disk) leaves nothing
// of itself behind, so the samples after it stay whole and in step.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "base/text_table.h"
#include "files/recording_pace.h"

namespace orvadw {

class SettingsStore;

// "Sample Record Time" (seconds, at least one) and "Record Lap Time"
// (minutes, 0 for no limit) of section "File Save", read once when a view or
// a recording command starts.
struct RecordingSettings {
  int period_seconds = 1;
  int max_minutes = 0;
};
RecordingSettings read_recording_settings(const SettingsStore& settings);

class MeasurementRecorder {
 public:
  static constexpr int kRecordsPerSample = 3;
  using Sample = std::array<std::vector<std::uint8_t>, kRecordsPerSample>;

  enum class State { kIdle = 0, kStartRequested = 1, kRecording = 2 };

  MeasurementRecorder(int period_seconds, int max_minutes, int language = kEnglish);
  MeasurementRecorder(const RecordingSettings& settings, int language)
      : MeasurementRecorder(settings.period_seconds, settings.max_minutes, language) {}
  ~MeasurementRecorder();
  MeasurementRecorder(const MeasurementRecorder&) = delete;
  MeasurementRecorder& operator=(const MeasurementRecorder&) = delete;

  State state() const { return state_; }
  bool recording() const { return state_ == State::kRecording; }
  const RecordingPace& pace() const { return pace_; }

  // The record button: idle asks for a start (the next good answer opens the
  // file); recording stops; a press while a start is asked for does nothing.
  void press();
  // The start was asked for but the user cancelled the file choice.
  void cancel_start();
  // Creates (or truncates) the file and writes its header: the header text
  // (UTF-8) and the save time. 0: recording. -1: back to idle, with
  // error_message() set.
  int start(const std::string& path, const std::string& header_text, const DateTime& now);
  // Ends the recording.
  void stop();

  struct StepResult {
    bool wrote = false;     // a whole sample is now on disk
    bool stopped = false;   // the maximum time ended the recording
    bool failed = false;    // the sample could not be written (it is dropped)
    bool first_failure = false;  // ... and the one before it could: say so once
  };
  // One good answer while recording, with the instrument clock and the
  // sample the answer completed.
  StepResult step(const DateTime& instrument_clock, const Sample& sample);

  // Text 63, a blank and the samples written; with a maximum time also
  // " (", text 203, minutes, text 134, " ", seconds, text 186, ")". Empty
  // when idle.
  std::string status_text() const;
  int samples_written() const { return records_written_ / kRecordsPerSample; }
  int records_written() const { return records_written_; }
  const std::string& path() const { return path_; }
  // Why the last start or write failed, as the message to show.
  const std::string& error_message() const { return error_message_; }

 private:
  // Appends the sample's records to the recording file; false (with
  // error_message()) when nothing could be written.
  bool write_sample(const Sample& sample);

  RecordingPace pace_;
  int language_;
  State state_ = State::kIdle;
  std::string path_;
  int records_written_ = 0;
  bool failing_ = false;
  std::string error_message_;
};

}  // namespace orvadw
