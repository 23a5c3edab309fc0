#pragma once
// Replay of a measurement file sample by sample: a sample is three records,
// so the file's samples are its records / 3, and a sample cut short by a
// crash at the end of the file is simply not one of them. Which sample is
// shown, where the four navigation buttons may go, and the status text.
#include <string>

namespace orvadw {

class SampleNavigator {
 public:
  static constexpr int kRecordsPerSample = 3;

  explicit SampleNavigator(int record_count = 0);

  int sample_count() const { return sample_count_; }
  // -1 before the first sample is shown.
  int current() const { return current_; }
  // The first record of a sample.
  static int first_record(int sample) { return kRecordsPerSample * sample; }

  // Where each button leads from the current sample; -1 where it is
  // disabled (first and previous on the first sample, next and last on the
  // last).
  int first() const;
  int previous() const;
  int next() const;
  int last() const;

  // Makes sample the current one; false (nothing changes) outside the file.
  bool go(int sample);

  // Text 63, a blank, current + 1, " / " and the number of samples.
  std::string status_text(int language) const;

 private:
  int sample_count_;
  int current_ = -1;
};

}  // namespace orvadw
