#pragma once
// A stand-in for a program the system starts (the spreadsheet): a shell
// script that writes down the folder it was started in, its arguments one a
// line, and whether a given file existed at that moment.
#include <string>
#include <vector>

namespace orvadw::test {

class StandInProgram {
 public:
  // Made as folder/name (the folder is created); watched: the file whose
  // presence it notes ("watched-there" or "watched-gone").
  StandInProgram(const std::string& folder, const std::string& name, const std::string& watched);

  const std::string& path() const { return path_; }
  // The lines it wrote once it ran; empty when it did not run within ten
  // seconds.
  std::vector<std::string> calls() const;

 private:
  std::string path_;
  std::string calls_;
};

}  // namespace orvadw::test
