#pragma once
// Starts a program on its own (not waited for, not a child that lingers):
// the spreadsheet after an export. No shell is involved.
#include <string>
#include <vector>

namespace orvadw::cli {

// program: a path, or a name looked up on PATH. 0 once the program runs, or
// the errno of why it could not be started (ENOENT for a missing program).
int start_detached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& working_folder);

}  // namespace orvadw::cli
