#pragma once
// A record file opened for reading as a test checks it, and a measurement
// file's samples as replay sees them. Header-only: the folders whose tests
// include it link the files and params layers themselves (the shared support
// library links nothing of the program).
#include <string>
#include <vector>

#include "base/text_table.h"
#include "files/record_file.h"
#include "params/measurement_session.h"
#include "params/sample_navigator.h"

namespace orvadw::test {

// Opens path read-only and reads its header; false when either fails.
inline bool open_record_file(RecordFile& file, const std::string& path) {
  std::string text;
  DateTime saved;
  return file.open(path, false) == 0 && file.read_header(text, saved) == 0;
}

// The instrument clock of each whole sample, in file order, as replay shows
// them; records gets the file's record count (-1 when it does not open). The
// list stops at the first sample whose records are not the sizes of a
// sample (44, 48 and 800 bytes).
inline std::vector<DateTime> replayed_clocks(const std::string& path, int& records) {
  std::vector<DateTime> clocks;
  RecordFile file;
  records = -1;
  if (!open_record_file(file, path)) return clocks;
  records = file.record_count();
  ParameterFieldList fields = make_field_list(measurement_window(kEnglish), kEnglish);
  MeasurementSession session(fields);
  const std::size_t lengths[] = {44, 48, 800};
  for (int s = 0; s < SampleNavigator(records).sample_count(); ++s) {
    MeasurementSession::Sample sample;
    for (std::size_t k = 0; k < sample.size(); ++k) {
      const int index = SampleNavigator::first_record(s) + static_cast<int>(k);
      if (file.read_record(index, sample[k]) != 0 || sample[k].size() != lengths[k]) return clocks;
    }
    if (session.apply_sample(sample) != 0) return clocks;
    clocks.push_back(session.instrument_clock());
  }
  return clocks;
}

}  // namespace orvadw::test
