// The measurement recording writes whole samples, paced by the instrument's
// clock, into a file that replay reads back.
#include "files/measurement_recorder.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cmath>

#include "files/record_file.h"
#include "params/sample_navigator.h"
#include "tests/support/file_contents.h"
#include "tests/support/measurement_replay.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

using Sample = MeasurementRecorder::Sample;
const DateTime kStart(2024, 3, 15, 12, 0, 0);

DateTime after(std::int64_t seconds) {
  // DateTime has no arithmetic: build it from fields that stay valid.
  const std::int64_t s = 12 * 3600 + seconds;
  return DateTime(2024, 3, 15 + static_cast<int>(s / 86400), static_cast<int>(s % 86400 / 3600),
                  static_cast<int>(s % 3600 / 60), static_cast<int>(s % 60));
}

// A recorder of the given period, already recording into path.
void start_recording(MeasurementRecorder& recorder, const std::string& path) {
  recorder.press();
  ASSERT_EQ(recorder.start(path, "", kStart), 0);
}

// A sample whose three records tell which answer made them.
Sample sample_of(int answer) {
  const auto b = static_cast<std::uint8_t>(answer);
  return {std::vector<std::uint8_t>(44, b), std::vector<std::uint8_t>(48, b),
          std::vector<std::uint8_t>(800, b)};
}

// The records of the file, each reduced to its length and first byte.
std::vector<std::pair<std::size_t, int>> records_of(const std::string& path) {
  RecordFile file;
  std::vector<std::pair<std::size_t, int>> out;
  if (!test::open_record_file(file, path)) return out;
  for (int i = 0; i < file.record_count(); ++i) {
    std::vector<std::uint8_t> bytes;
    if (file.read_record(i, bytes) != 0) break;
    out.emplace_back(bytes.size(), bytes.empty() ? -1 : bytes[0]);
  }
  return out;
}

std::vector<std::pair<std::size_t, int>> whole_samples(std::initializer_list<int> answers) {
  std::vector<std::pair<std::size_t, int>> out;
  for (int a : answers) {
    out.emplace_back(44, a);
    out.emplace_back(48, a);
    out.emplace_back(800, a);
  }
  return out;
}

TEST(MeasurementRecording, TheInstrumentClockPacesTheSamples) {
  test::TempDir dir;
  const std::string path = dir.file("run.mes");
  MeasurementRecorder recorder(10, 0, kEnglish);
  recorder.press();
  EXPECT_EQ(recorder.state(), MeasurementRecorder::State::kStartRequested);
  recorder.press();  // a second press while the file is being chosen does nothing
  EXPECT_EQ(recorder.state(), MeasurementRecorder::State::kStartRequested);
  ASSERT_EQ(recorder.start(path, "Measurement\nline two\n", kStart), 0);

  // Clock steps of 4 s with a period of 10 s: accumulator 10 (write), 4, 8,
  // 12 (write), 2, 6, 10 (write), 0, 4, 8, 12 (write): the remainder carries
  // over, so the samples are 10 s apart on average.
  std::vector<int> written;
  for (int answer = 1; answer <= 9; ++answer) {
    if (recorder.step(after(4 * (answer - 1)), sample_of(answer)).wrote) written.push_back(answer);
  }
  EXPECT_EQ(written, (std::vector<int>{1, 4, 6, 9}));
  EXPECT_EQ(recorder.status_text(), "Record 4");
  EXPECT_EQ(records_of(path), whole_samples({1, 4, 6, 9})) << "three records per sample, in layout order";

  // A clock that goes back makes the wait longer: nothing until the
  // accumulator has grown back to the period (2 after the 9th answer, at 32 s).
  EXPECT_FALSE(recorder.step(after(20), sample_of(10)).wrote);  // 2 - 12 = -10
  EXPECT_FALSE(recorder.step(after(30), sample_of(11)).wrote);  // 0
  EXPECT_FALSE(recorder.step(after(38), sample_of(12)).wrote);  // 8
  EXPECT_TRUE(recorder.step(after(40), sample_of(13)).wrote);   // 10
  // A gap (a lost link) gives one sample when answers resume, not a burst.
  EXPECT_TRUE(recorder.step(after(3600), sample_of(14)).wrote);
  EXPECT_FALSE(recorder.step(after(3601), sample_of(15)).wrote);
  EXPECT_EQ(recorder.samples_written(), 6);

  recorder.press();
  EXPECT_EQ(recorder.state(), MeasurementRecorder::State::kIdle);
  EXPECT_EQ(recorder.status_text(), "");
  EXPECT_FALSE(recorder.step(after(4000), sample_of(16)).wrote) << "idle writes nothing";
  EXPECT_EQ(records_of(path).size(), 18u);
}

TEST(MeasurementRecording, AMaximumTimeStopsByItselfAndCountsDown) {
  test::TempDir dir;
  MeasurementRecorder recorder(20, 1, kEnglish);
  recorder.press();
  ASSERT_EQ(recorder.start(dir.file("lap.mes"), "", kStart), 0);
  ASSERT_TRUE(recorder.step(after(0), sample_of(1)).wrote);
  EXPECT_EQ(recorder.status_text(), "Record 1 (Left time1mn 0s)");
  ASSERT_TRUE(recorder.step(after(25), sample_of(2)).wrote);
  EXPECT_EQ(recorder.status_text(), "Record 2 (Left time0mn 35s)");
  EXPECT_FALSE(recorder.step(after(30), sample_of(3)).wrote);  // accumulator 10
  const auto last = recorder.step(after(61), sample_of(4));
  EXPECT_TRUE(last.stopped) << "the first answer at least 60 s after the first sample";
  EXPECT_TRUE(last.wrote) << "that answer's sample is written before the stop";
  EXPECT_EQ(recorder.state(), MeasurementRecorder::State::kIdle);
  EXPECT_EQ(records_of(dir.file("lap.mes")), whole_samples({1, 2, 4}));

  MeasurementRecorder french(20, 1, kFrench);
  french.press();
  ASSERT_EQ(french.start(dir.file("fr.mes"), "", kStart), 0);
  french.step(after(0), sample_of(1));
  EXPECT_EQ(french.status_text(), "Enregistrement 1 (Temps restant 1mn 0s)");
}

TEST(MeasurementRecording, APeriodBelowOneSecondCountsAsOneSecond) {
  EXPECT_EQ(RecordingPace::period_from_setting(0), 1);
  EXPECT_EQ(RecordingPace::period_from_setting(-5), 1);
  EXPECT_EQ(RecordingPace::period_from_setting(0.9), 1);
  EXPECT_EQ(RecordingPace::period_from_setting(std::nan("")), 1);
  EXPECT_EQ(RecordingPace::period_from_setting(7.9), 7);
  EXPECT_EQ(RecordingPace::minutes_from_setting(-3), 0);
  EXPECT_EQ(RecordingPace::minutes_from_setting(1e30), 2147483647);

  // Polls every half second: the clock repeats each second twice. With a
  // period of 0 taken as 1, one sample per instrument second.
  RecordingPace pace(RecordingPace::period_from_setting(0), 0);
  int writes = 0;
  for (int half = 0; half < 10; ++half) writes += pace.on_clock(1000 + half / 2).write ? 1 : 0;
  EXPECT_EQ(writes, 5);
}

TEST(MeasurementRecording, ACutSampleAtTheEndIsIgnoredAndTheOthersReplay) {
  test::TempDir dir;
  const std::string path = dir.file("cut.mes");
  MeasurementRecorder recorder(1, 0, kEnglish);
  start_recording(recorder, path);
  for (int answer = 1; answer <= 3; ++answer) recorder.step(after(answer), sample_of(answer));
  recorder.stop();
  std::vector<std::uint8_t> bytes = test::read_file_bytes(path);
  ASSERT_FALSE(bytes.empty());

  // A crash after the first record of the third sample, and one in the
  // middle of its second record.
  const std::size_t third_sample_second_record = bytes.size() - (12 + 800) - (12 + 48);
  for (const std::size_t cut : {third_sample_second_record, third_sample_second_record + 30}) {
    ASSERT_TRUE(test::write_file_bytes(path, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(cut))));
    RecordFile file;
    ASSERT_TRUE(test::open_record_file(file, path)) << "a damaged tail is tolerated";
    EXPECT_EQ(file.record_count(), 7);
    SampleNavigator replay(file.record_count());
    EXPECT_EQ(replay.sample_count(), 2);
    ASSERT_TRUE(replay.go(1));
    for (int k = 0; k < 3; ++k) {
      std::vector<std::uint8_t> record;
      ASSERT_EQ(file.read_record(SampleNavigator::first_record(1) + k, record), 0);
      EXPECT_EQ(record[0], 2) << "sample 2 is whole";
    }
    EXPECT_EQ(replay.next(), -1);
    EXPECT_EQ(replay.status_text(kEnglish), "Record 2 / 2");
  }
}

// Keeps the process's file size limit for the test and gives it back.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
};

TEST(MeasurementRecording, ASampleThatCannotBeWrittenLeavesNothingSoTheOthersStayWhole) {
  test::TempDir dir;
  const std::string path = dir.file("full.mes");
  MeasurementRecorder recorder(1, 0, kEnglish);
  start_recording(recorder, path);
  ASSERT_TRUE(recorder.step(after(1), sample_of(1)).wrote);
  const auto size = static_cast<rlim_t>(test::read_file_bytes(path).size());
  {
    // The disk fills in the middle of sample 2 (after its first record).
    FileSizeLimit full(size + (12 + 44) + 20);
    const auto failed = recorder.step(after(2), sample_of(2));
    EXPECT_TRUE(failed.failed);
    EXPECT_TRUE(failed.first_failure);
    EXPECT_NE(recorder.error_message().find("Couldn't open source file"), std::string::npos);
    const auto again = recorder.step(after(3), sample_of(3));
    EXPECT_TRUE(again.failed);
    EXPECT_FALSE(again.first_failure) << "one message for one failure";
  }
  ASSERT_TRUE(recorder.step(after(4), sample_of(4)).wrote);
  recorder.stop();
  // Samples 2 and 3 found the disk full and left no record behind.
  EXPECT_EQ(records_of(path), whole_samples({1, 4}));
  EXPECT_EQ(recorder.samples_written(), 2);
}

TEST(MeasurementRecording, AFileThatCannotBeCreatedLeavesTheRecorderIdle) {
  MeasurementRecorder recorder(1, 0, kEnglish);
  recorder.press();
  EXPECT_EQ(recorder.start("/nonexistent-folder/x.mes", "", kStart), -1);
  EXPECT_EQ(recorder.state(), MeasurementRecorder::State::kIdle);
  EXPECT_NE(recorder.error_message().find("Couldn't open source file"), std::string::npos);
  recorder.press();
  recorder.cancel_start();
  EXPECT_EQ(recorder.state(), MeasurementRecorder::State::kIdle);
}

}  // namespace
}  // namespace orvadw
